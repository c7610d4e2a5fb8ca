// SPDX-License-Identifier: MIT
#pragma once

#include "app/StorePaths.h"
#include "platform/FileIo.h"
#include "platform/WindowsPath.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

/** The intent journal beside the offline buffer. */
inline constexpr std::string_view DeliveryJournalPath = "c:\\data.journal";

/** What a hand-over of the waiting records to the store came to. */
struct HandOverResult
{
    platform::FileError error = platform::FileError::None;
    /** The store could not be opened or written. A busy lock is no fault of the store. */
    bool storeFault = false;
    /** Records still wait in the buffer or the spool (or cannot be read there yet). */
    bool pendingLeft = false;
    /** The buffer exists but cannot be read: it is left as it is, and newer records wait behind it. */
    bool bufferUnreadable = false;
    bool ok() const { return error == platform::FileError::None && !pendingLeft; }
};

/** Where `OfflineBuffer::place` put records. */
enum class Placed
{
    Store,
    Buffer,
    Spool,
    Journal, ///< a write failed half-way: the journal keeps them until the next delivery settles it
    Nowhere, ///< no place took them now; the caller keeps them for the next try
};

/**
 * The places where time records wait for the data store, and their hand-over to it, exactly once:
 *  - the offline buffer c:\data, and the per-user spool (`platform::recordSpoolPath()`) for
 *    records that the buffer cannot take either. The spool's records are newer than the buffer's:
 *    while the spool holds records, new ones go to the spool too.
 *  - the intent journal c:\data.journal. Before any batch of records is written to a file, the
 *    journal records (written and forced to the disk) the file (path and identity), its size
 *    before the write, and the batch: a writer's records themselves, or for a hand-over the
 *    batch's extent in its source (with a hash of the source up to its end). A later run compares the file's bytes at
 * that offset with the batch: a batch wholly there is not written again; a batch cut short by a kill is completed by
 * its missing rest when nothing follows it; when something follows the fragment, the batch is written whole again and
 * counted (`refragments`). No file is ever cut back. A journal that is missing, torn or names another file never lets a
 * waiting line be dropped: in doubt, lines are copied.
 *  - the journal's own whole-file lock serialises every delivery of one user's panels.
 * Lines are copied unchanged and in order (empty lines too), each ended by CR LF. A buffer or
 * spool is deleted once all its lines are in the store.
 */
class OfflineBuffer final
{
public:
    explicit OfflineBuffer(
        platform::FileOps& files, platform::LockWait wait = {}, std::string spoolPath = "<own>\\spool");

    /**
     * Hands the buffer, then the spool, over to the data file `storeDataFile`, after settling what
     * a killed or failed delivery left in the journal. When the data file is the buffer itself (a
     * data folder of "c:" or "c:\"), only the spool is handed over.
     */
    HandOverResult replayInto(std::string_view storeDataFile);

    /**
     * Places `lines` (whole lines, each with CR LF): into the store after the waiting records, or,
     * when those cannot go first or the store refuses, into the buffer, or the spool, keeping
     * their order. Lines of a writer that died before it knew where its last lines went are put
     * in front of `lines` when they did not arrive. `handOver` tells what is still waiting.
     */
    Placed place(std::string_view storeDataFile, std::string& lines, HandOverResult& handOver);

    /** Bytes per batch of a hand-over; tests make it small to cut a hand-over into many batches. */
    void setBatchBytes(std::size_t bytes) { m_batchBytes = bytes; }
    const std::string& spoolPath() const { return m_spool; }
    /** Batches written whole again because another writer had appended after their fragment. */
    std::size_t refragments() const { return m_refragments; }

private:
    class Session;

    platform::FileOps& m_files;
    platform::LockWait m_wait;
    std::string m_spool;
    std::size_t m_batchBytes = 1 << 20;
    std::uint64_t m_nonce;
    std::size_t m_refragments = 0;
};

} // namespace shiftloom
