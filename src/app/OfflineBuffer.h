// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileIo.h"

#include <string_view>

namespace shiftloom {

/**
 * The offline buffer c:\data: time records kept locally while the data store was out of reach,
 * copied into the store's data file when it can be written again.
 *
 * The replay holds the buffer's whole-file lock for its whole length and appends to the store
 * under the store's lock, like the record writer, so that records from several processes are
 * never interleaved within a line and never copied twice:
 *  - the buffer's lines are copied unchanged and in order (empty lines too), each ended by CR LF,
 *    in batches of whole lines;
 *  - a batch that fails is taken back out of the data file, so the buffer still holds it;
 *  - after a failure half-way, and after each batch of a buffer bigger than one, the buffer
 *    keeps only the lines that did not reach the store, so a crash can copy at most one batch
 *    twice;
 *  - when all are copied the buffer is deleted (emptied, when it cannot be deleted).
 */
class OfflineBuffer final
{
public:
    explicit OfflineBuffer(platform::FileOps& files, platform::LockWait wait = {});

    /**
     * True unless the buffer is known to be absent: a buffer that exists but cannot be opened at
     * this moment may still hold records that must reach the store before any newer one.
     */
    bool present();

    /**
     * Copies the buffer into the data file `storeDataFile`. Returns None when the buffer is empty
     * or gone afterwards; otherwise the first failure. When the data file is the buffer itself
     * (a data folder of "c:" or "c:\"), nothing is copied.
     */
    platform::FileError replayInto(std::string_view storeDataFile);

    /** Appends whole lines to the buffer under its lock (creating it). */
    platform::AppendResult append(std::string_view lines);

    /** Bytes per batch of the replay; tests make it small to cut a replay into many batches. */
    void setBatchBytes(std::size_t bytes) { m_batchBytes = bytes; }

private:
    platform::FileError keepOnly(platform::OpenFile& buffer, std::string_view rest);

    platform::FileOps& m_files;
    platform::LockWait m_wait;
    std::size_t m_batchBytes = 1 << 20;
    /** The head of a buffer already copied whole that could be neither deleted nor emptied. */
    struct Delivered
    {
        std::size_t bytes = 0;
        std::size_t hash = 0;
    } m_delivered;
};

} // namespace shiftloom
