// SPDX-License-Identifier: MIT
#include "TimeRecordWriter.h"

#include "app/StorePaths.h"

namespace shiftloom {

using platform::FileError;

TimeRecordWriter::TimeRecordWriter(
    platform::FileOps& files, std::function<std::string()> getDataFolder, platform::LockWait wait)
    : m_files(files)
    , m_getDataFolder(std::move(getDataFolder))
    , m_wait(wait)
    , m_buffer(files, wait)
{
}

RecordPlace TimeRecordWriter::AppendTimeRecord(std::string_view line)
{
    std::string record(line);
    record += "\r\n";
    m_held.push_back(std::move(record));
    return writeHeld();
}

bool TimeRecordWriter::flushHeld()
{
    if (!m_held.empty())
        writeHeld();
    return m_held.empty();
}

bool TimeRecordWriter::flushHeldWithin(std::chrono::milliseconds budget)
{
    constexpr std::chrono::milliseconds kRetry{100};
    std::chrono::milliseconds waited{0};
    while (!flushHeld() && waited < budget) {
        m_files.pause(kRetry);
        waited += kRetry;
    }
    return m_held.empty();
}

RecordPlace TimeRecordWriter::writeHeld()
{
    std::string text;
    for (const std::string& record : m_held)
        text += record;

    const std::string dataFile = storeFile(m_getDataFolder(), kDataFileName);
    const bool storeIsBuffer = m_files.sameFile(dataFile, OfflineBufferPath);

    // Records kept in the buffer go to the store before any newer one.
    bool storeUsable = true;
    if (!storeIsBuffer && m_buffer.present())
        storeUsable = m_buffer.replayInto(dataFile) == FileError::None;

    if (storeUsable) {
        const platform::AppendResult result = platform::appendLocked(m_files, dataFile, text, m_wait);
        if (result.ok()) {
            m_held.clear();
            return RecordPlace::Store;
        }
        // Records that stayed in the store despite the failure are not written again.
        std::size_t kept = result.bytesKept;
        while (!m_held.empty() && kept >= m_held.front().size() - 2) {
            kept -= std::min(kept, m_held.front().size());
            text.erase(0, m_held.front().size());
            m_held.pop_front();
        }
        if (m_held.empty())
            return RecordPlace::Store;
    }
    if (!storeIsBuffer && m_buffer.append(text).ok()) {
        m_held.clear();
        return RecordPlace::Buffer;
    }
    return RecordPlace::Held;
}

} // namespace shiftloom
