// SPDX-License-Identifier: MIT
#pragma once

#include "delivery/HandOver.h"
#include "delivery/WaitingPlaces.h"
#include "platform/FileIo.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace shiftloom::delivery {

/** What the data store answered in a delivery. */
enum class StoreAnswer
{
    Takes, ///< its data file opens beside its marker and takes records
    Busy, ///< it is there, but its lock (or a journal) stayed taken: later
    Away, ///< no store there now: missing, not mounted (no marker), refused, or failing
};

struct RoundResult
{
    StoreAnswer store = StoreAnswer::Takes;
    platform::FileError error = platform::FileError::None;
    /** Records still wait: in the buffer, in memory, or left by an earlier version. */
    bool waiting = false;
};

/**
 * One delivery to the data store: records left by earlier versions first (while this account can
 * take them), then what the journal holds unsettled, then the buffer's files in their order, then
 * records held in memory (those the buffer could not take), each exactly once.
 */
class Delivery final
{
public:
    Delivery(platform::FileOps& files, platform::LockWait wait, std::uint64_t nonce, DeliveryCounts& counts);

    /**
     * Delivers to the store in `storeFolder`. `held` are records in memory, oldest first, newer
     * than every file of the buffer: they go to the buffer when it takes them, or straight to the
     * store once the buffer is empty; what went is taken off its front.
     */
    RoundResult run(std::string_view storeFolder, RecordBuffer& buffer, std::string& held);

    void setBatchBytes(std::size_t bytes) { m_batchBytes = bytes; }

private:
    enum class Earlier
    {
        Gone, ///< none left, or none this account can take now
        Delivered,
        Busy,
        StoreFault,
    };
    Earlier handOverEarlier(std::string_view storeData, platform::FileError& error);
    HandOver::Setup setup(std::string journal, bool earlier);

    platform::FileOps& m_files;
    platform::LockWait m_wait;
    std::uint64_t m_nonce;
    DeliveryCounts& m_counts;
    std::size_t m_batchBytes = 1 << 20;
};

} // namespace shiftloom::delivery
