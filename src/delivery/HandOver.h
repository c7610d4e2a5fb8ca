// SPDX-License-Identifier: MIT
#pragma once

#include "delivery/Journal.h"
#include "platform/FileIo.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::delivery {

/** What a delivery counts, for the worker's log and the reliability figures. */
struct DeliveryCounts
{
    /** Batches written whole again because another writer had appended after their fragment. */
    std::size_t refragments = 0;
    /**
     * Writes to a store that may be appended to but not read, settled from its size alone: the
     * size after a killed write was exactly the size before it plus the write, so the write is
     * taken as arrived (see docs/reliability.md for the one case this cannot tell apart).
     */
    std::size_t presumedWhole = 0;
    /** Writes to such a store that nothing could settle: written again, in doubt (a possible double). */
    std::size_t inDoubtWrittenAgain = 0;
};

/** How a waiting file's hand-over to the store came out. */
enum class SourceState
{
    Absent, ///< no such file (or not a file), or emptied and deleted now
    Delivered, ///< every line is in the store (the file could not be deleted yet)
    Waiting, ///< a lock is taken: later
    Unreadable,
    StoreFault,
};

/**
 * One delivery under the whole-file lock of an intent journal: settles what the journal holds
 * from a delivery that was killed or failed, and writes with intents. Before any batch is written
 * to a file, an entry naming the file (path and identity), its size before the write and the
 * batch is appended to the journal and forced to the disk; a later delivery compares the file at
 * that offset with the batch: wholly there, it is not written again; cut short with nothing after
 * it, its missing rest is appended; followed by something else, its whole lines stay and the rest
 * is written again on a line of its own. No file of the store is ever cut back. A journal that is
 * torn or names another file never lets a waiting line be dropped: in doubt, lines are copied.
 */
class HandOver
{
public:
    struct Setup
    {
        platform::FileOps& files;
        platform::LockWait wait;
        std::string journal; ///< path text of the journal
        /** True for a file of the data store (opened only beside its marker `cardward.ini`). */
        std::function<bool(std::string_view path)> inStore;
        std::uint64_t nonce;
        std::size_t batchBytes;
        DeliveryCounts& counts;
        std::string filesFolder{}; ///< the folder of the record files that 'F' entries name
    };
    explicit HandOver(Setup setup);

    /** Takes the journal's lock. Busy when another delivery of the user holds it now. */
    platform::FileError begin();
    bool journalOpen() const { return m_journal.isOpen(); }

    /**
     * Settles the writes of records that the journal holds unsettled. Lines that did not arrive
     * come back: `forStore` those meant for the store, `forWaiting` those meant for a waiting file.
     * Once all are settled, their entries are retired; until then nothing comes back.
     */
    void settleRecords(std::string& forStore, std::string& forWaiting);

    enum class Appended
    {
        Done,
        Refused, ///< nothing of them is in the file: they may go elsewhere
        InJournal, ///< part of them may be in the file: the journal keeps them until it is settled
        InDoubt, ///< part of them may be in the file, and the journal could not take them
    };
    /** Appends records (whole lines with CR LF) to `target` with an intent in the journal. */
    Appended appendRecords(std::string_view target, std::string_view lines, platform::FileError& error);

    /** Hands `source` over to `store`, from where the journal says its delivered lines end. */
    SourceState handOver(std::string_view source, std::string_view store, platform::FileError& error);

    /**
     * Hands the record files `paths` (of `Setup::filesFolder`, oldest first) over to `store` in batches of
     * whole files, each with an intent that carries its records and names its files, then
     * deletes them; `removed` counts those gone. Stops at the first batch the store does not take.
     */
    SourceState handOverFiles(const std::vector<std::string>& paths,
        std::string_view store,
        std::size_t& removed,
        platform::FileError& error);

    bool allSettled() const { return m_allSettled; }
    /** Empties the journal when nothing it says can matter any more. */
    void finish(bool sourcesGone);
    /** True when the journal holds nothing. */
    bool empty() const { return m_entries.empty(); }

private:
    /** How a journalled write stands in its file. */
    enum class Settled
    {
        There, ///< wholly there (perhaps after its missing rest was appended just now)
        NotThere, ///< none of its lines reached the file
        Fragment, ///< part of it, with something else written after it
        Doubt, ///< the file is not the one written, or it cannot be read and its size proves nothing
        Busy, ///< the file's lock is taken
        Fault, ///< the file cannot be opened or written
    };
    Settled settle(const JournalEntry& e, std::size_t* matched = nullptr);
    platform::FileError add(const JournalEntry& e);
    void retireOwn();
    std::optional<JournalEntry> lastEntryOf(
        std::string_view source, const std::string& id, const std::string& content) const;
    static std::uint64_t afterWholeLines(const std::string& content, const JournalEntry& e, std::size_t matched);
    static void fill(JournalEntry& e, const platform::AppendPlan& plan, std::string_view lines);
    /**
     * Deletes the files an 'F' entry names whose records are wholly in the store (`arrived` bytes
     * of its lines); false while one of them is still there.
     */
    bool removeDelivered(const JournalEntry& e, std::size_t arrived, bool& namedLeft);
    platform::AppendResult append(std::string_view target,
        std::string_view lines,
        bool lineStart,
        const std::function<platform::FileError(const platform::AppendPlan&)>& beforeWrite);

    Setup m_setup;
    platform::FileOps& m_files;
    platform::OpenFile m_journal;
    std::vector<JournalEntry> m_entries;
    bool m_allSettled = true;
    /** The last settle could not tell from a file's size whether the write arrived. */
    bool m_sizeProvedNothing = false;
    /** The last settle found a possible fragment of ours at the end of a file it cannot read. */
    bool m_lineStartNeeded = false;
};

} // namespace shiftloom::delivery
