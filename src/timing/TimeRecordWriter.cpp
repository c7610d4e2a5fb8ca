// SPDX-License-Identifier: MIT
#include "TimeRecordWriter.h"

#include "app/StorePaths.h"

namespace shiftloom {

using platform::FileError;

TimeRecordWriter::TimeRecordWriter(platform::FileOps& files,
    std::function<std::string()> getDataFolder,
    platform::LockWait wait,
    std::string spoolPath)
    : m_files(files)
    , m_getDataFolder(std::move(getDataFolder))
    , m_buffer(files, wait, std::move(spoolPath))
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

void TimeRecordWriter::handOverPending(std::chrono::steady_clock::time_point now)
{
    constexpr std::chrono::seconds kLongestPause{30};
    if (!pending() || now < m_nextTry)
        return;
    if (!m_held.empty()) {
        writeHeld();
    } else {
        const HandOverResult result = m_buffer.replayInto(storeFile(m_getDataFolder(), kDataFileName));
        m_pending = !result.ok();
    }
    if (pending()) {
        m_nextTry = now + m_backOff;
        m_backOff = std::min(m_backOff * 2, kLongestPause);
    } else {
        m_backOff = std::chrono::seconds(1);
    }
}

RecordPlace TimeRecordWriter::writeHeld()
{
    std::string text;
    for (const std::string& record : m_held)
        text += record;
    HandOverResult handOver;
    const Placed placed = m_buffer.place(storeFile(m_getDataFolder(), kDataFileName), text, handOver);
    if (placed == Placed::Nowhere) {
        // `text` may have gained records of a writer that died before they arrived: keep them too.
        m_held.clear();
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find("\r\n", at), text.size() - 2) + 2;
            m_held.push_back(text.substr(at, end - at));
            at = end;
        }
        m_pending = true;
        return RecordPlace::Held;
    }
    m_held.clear();
    m_pending = handOver.pendingLeft;
    if (!m_pending)
        m_backOff = std::chrono::seconds(1);
    switch (placed) {
    case Placed::Store:
        return RecordPlace::Store;
    case Placed::Buffer:
        return RecordPlace::Buffer;
    case Placed::Journal:
        return RecordPlace::Journal;
    default:
        return RecordPlace::Spool;
    }
}

} // namespace shiftloom
