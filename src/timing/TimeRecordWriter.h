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
    Buffer, ///< the offline buffer c:\data, because the store could not be written
    Held, ///< neither could be written: the record waits in memory for the next attempt
};

/**
 * Appends time records to the data file `data` of the current data folder, one line at a time,
 * each whole and on disk when the call returns:
 *  - the data file is opened, locked as a whole against other processes (waiting a few hundred
 *    milliseconds at most for Card-Warden to let go of it), written in one write with its CR LF,
 *    flushed, unlocked and closed;
 *  - while the offline buffer holds records and the store can be written, the buffer is copied
 *    into the store first, so the store receives records in the order they were made;
 *  - when the store cannot be opened, locked or written, the record goes to the offline buffer,
 *    silently; when that fails too, it is held in memory and written before the next record.
 * The data folder is asked for at every record (`GetDataFolder`).
 */
class TimeRecordWriter final
{
public:
    TimeRecordWriter(
        platform::FileOps& files, std::function<std::string()> getDataFolder, platform::LockWait wait = {});

    /** Appends one record line (without its line end). Never fails; see `RecordPlace`. */
    RecordPlace AppendTimeRecord(std::string_view line);

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
    platform::LockWait m_wait;
    OfflineBuffer m_buffer;
    std::deque<std::string> m_held; ///< lines with their CR LF, oldest first
};

} // namespace shiftloom
