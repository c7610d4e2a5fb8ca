// SPDX-License-Identifier: MIT
#pragma once

#include "app/OfflineBuffer.h"
#include "platform/FileIo.h"

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace shiftloom {

/** Where a record went. */
enum class RecordPlace
{
    Store, ///< the data file of the data folder (in a fallback run, that is the buffer itself)
    Buffer, ///< the offline buffer c:\data, because the store could not take it now
    Spool, ///< the per-user spool, because neither the store nor the buffer could take it
    Journal, ///< its write failed half-way: the journal keeps it until the next try settles where it is
    Held, ///< no place could take it: it waits in memory until the next try (a clock tick at most)
};

/**
 * Appends time records to the data file `data` of the current data folder, each whole and on disk
 * when the call returns, through the offline buffer's journal (see `OfflineBuffer`):
 *  - the data file is opened, locked as a whole against other processes (waiting a few hundred
 *    milliseconds at most for Card-Warden to let go of it), written in one write with its CR LF,
 *    flushed, unlocked and closed;
 *  - records waiting in the buffer or the spool go into the store first, so the store receives
 *    records in the order they were made;
 *  - when the store cannot take a record now (its lock stays taken, it is unreachable), the
 *    record goes to the buffer, or the spool; when none takes it, it is held in memory and tried
 *    again at the next record or the next `handOverPending`.
 * The data folder is asked for at every record (`GetDataFolder`).
 */
class TimeRecordWriter final
{
public:
    TimeRecordWriter(platform::FileOps& files,
        std::function<std::string()> getDataFolder,
        platform::LockWait wait = {},
        std::string spoolPath = "<own>\\spool");

    /** Appends one record line (without its line end). Never fails; see `RecordPlace`. */
    RecordPlace AppendTimeRecord(std::string_view line);

    /**
     * For the clock tick: while records wait (in memory, the buffer or the spool), hands them over
     * to the store, trying at once and then after a growing pause (1 s, doubling, at most 30 s), so
     * that they arrive within 30 s of the store taking records again. Touches no file while
     * nothing waits.
     */
    void handOverPending(std::chrono::steady_clock::time_point now);
    /** True while records wait in memory, the buffer or the spool (as far as this writer knows). */
    bool pending() const { return m_pending || !m_held.empty(); }

    /** Tries once more to write records held in memory; true when none is left. */
    bool flushHeld();
    /**
     * For the end of the program: tries to write held records until none is left or `budget`
     * has passed (Card-Warden may hold the store, and another program the buffer, for a moment).
     */
    bool flushHeldWithin(std::chrono::milliseconds budget);

    std::size_t heldCount() const { return m_held.size(); }

private:
    RecordPlace writeHeld();

    platform::FileOps& m_files;
    std::function<std::string()> m_getDataFolder;
    OfflineBuffer m_buffer;
    std::deque<std::string> m_held; ///< lines with their CR LF, oldest first
    bool m_pending = true; ///< the buffer or the spool may hold records (unknown before the first look)
    std::chrono::steady_clock::time_point m_nextTry{};
    std::chrono::seconds m_backOff{1};
};

} // namespace shiftloom
