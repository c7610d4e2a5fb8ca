// SPDX-License-Identifier: MIT
#include "OfflineBuffer.h"

#include "app/StorePaths.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace shiftloom {

using platform::FileError;
using platform::LockKind;
using platform::OpenFile;
using platform::OpenMode;

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kRestPath = "c:\\data.rest";

// How many of `lines` stand whole in the first `bytesKept` bytes of their CR LF joined text. A
// line whose characters all arrived but whose line end did not counts: the next append starts on
// a new line and so completes it.
std::size_t linesKept(
    const std::vector<std::string>& lines, std::size_t first, std::size_t count, std::size_t bytesKept)
{
    std::size_t offset = 0;
    std::size_t kept = 0;
    for (std::size_t i = first; i < first + count; ++i) {
        const std::size_t size = lines[i].size();
        const bool whole = offset + size + kLineEnd.size() <= bytesKept || (size > 0 && offset + size <= bytesKept);
        if (!whole)
            break;
        ++kept;
        offset += size + kLineEnd.size();
    }
    return kept;
}

} // namespace

OfflineBuffer::OfflineBuffer(platform::FileOps& files, platform::LockWait wait)
    : m_files(files)
    , m_wait(wait)
{
}

bool OfflineBuffer::present()
{
    OpenFile file(m_files);
    return file.open(OfflineBufferPath, OpenMode::Read) != FileError::NotFound;
}

platform::AppendResult OfflineBuffer::append(std::string_view lines)
{
    return platform::appendLocked(m_files, OfflineBufferPath, lines, m_wait);
}

FileError OfflineBuffer::keepOnly(OpenFile& buffer, std::string_view rest)
{
    // Write what is left to a new file and put it in the buffer's place in one step, so that a
    // crash at any moment leaves either the whole old buffer or the exact rest. The new file is
    // locked before it takes the buffer's place: whoever opens the buffer from then on waits for
    // this replay, which goes on holding the new file.
    OpenFile part(m_files);
    FileError error = part.open(kRestPath, OpenMode::AppendCreate);
    if (error == FileError::None)
        error = part.tryLock(LockKind::Exclusive);
    if (error == FileError::None)
        error = m_files.truncate(part.handle(), 0);
    std::size_t written = 0;
    if (error == FileError::None)
        error = m_files.append(part.handle(), rest.data(), rest.size(), written);
    if (error == FileError::None && written != rest.size())
        error = FileError::NoSpace;
    if (error == FileError::None)
        error = m_files.flush(part.handle());
    if (error == FileError::None)
        error = m_files.replace(kRestPath, OfflineBufferPath);
    if (error != FileError::None) {
        part.close();
        m_files.remove(kRestPath);
        return error;
    }
    buffer.swap(part); // `part` now holds the old buffer, which goes when it closes
    return FileError::None;
}

FileError OfflineBuffer::replayInto(std::string_view storeDataFile)
{
    if (m_files.sameFile(storeDataFile, OfflineBufferPath))
        return FileError::None;

    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        OpenFile buffer(m_files);
        if (const FileError error = buffer.open(OfflineBufferPath, OpenMode::ReadWrite); error != FileError::None)
            return error == FileError::NotFound ? FileError::None : error;
        if (const FileError error = buffer.lock(LockKind::Exclusive, m_wait.budget, m_wait.interval);
            error != FileError::None)
            return error;
        // Another process replayed and removed the buffer while we waited for its lock.
        if (m_files.detached(buffer.handle(), OfflineBufferPath))
            continue;

        std::string content;
        if (const FileError error = platform::readAll(m_files, buffer.handle(), content); error != FileError::None)
            return error;
        // A buffer this process copied whole but could neither delete nor empty starts with the
        // lines already in the store: they are not copied again.
        if (m_delivered.bytes > 0 && content.size() >= m_delivered.bytes
            && std::hash<std::string_view>{}(std::string_view(content).substr(0, m_delivered.bytes))
                == m_delivered.hash) {
            content.erase(0, m_delivered.bytes);
        } else {
            m_delivered = {};
        }
        const std::size_t deliveredBefore = m_delivered.bytes;
        const std::vector<std::string> lines = platform::splitLines(content);

        // A buffer far bigger than a batch (weeks away from the store) is copied in at most about
        // sixteen batches, so that cutting the copied lines off it does not grow with its square.
        const std::size_t batchBytes = std::max(m_batchBytes, content.size() / 16);
        std::size_t done = 0;
        while (done < lines.size()) {
            std::string batch;
            std::size_t count = 0;
            while (done + count < lines.size() && (count == 0 || batch.size() < batchBytes)) {
                batch += lines[done + count];
                batch += kLineEnd;
                ++count;
            }
            const platform::AppendResult result = platform::appendLocked(m_files, storeDataFile, batch, m_wait);
            const bool failed = !result.ok();
            done += failed ? linesKept(lines, done, count, result.bytesKept) : count;
            // The buffer keeps only what is not in the store yet: after a failure, and after each
            // batch of a buffer too big for one, so that a crash can copy at most one batch twice.
            // (Should that fail too, the buffer stays whole, to be copied again: doubled lines
            // rather than lost ones.)
            if (done > 0 && done < lines.size()) {
                std::string rest;
                for (std::size_t i = done; i < lines.size(); ++i) {
                    rest += lines[i];
                    rest += kLineEnd;
                }
                keepOnly(buffer, rest);
            }
            if (failed)
                return result.error;
        }

        // Every line is in the store: the buffer goes. Where it cannot be deleted, it is emptied,
        // so that its lines are never copied a second time.
        FileError removed = m_files.remove(OfflineBufferPath);
        if (removed != FileError::None && m_files.truncate(buffer.handle(), 0) != FileError::None) {
            // Neither: remember what went over, so that the next replay of this run skips it.
            std::string whole;
            if (platform::readAll(m_files, buffer.handle(), whole) == FileError::None
                && whole.size() >= deliveredBefore + content.size()) {
                m_delivered.bytes = deliveredBefore + content.size();
                m_delivered.hash = std::hash<std::string_view>{}(std::string_view(whole).substr(0, m_delivered.bytes));
            }
        } else if (removed == FileError::None) {
            m_delivered = {};
        }
        return removed;
    }
    return FileError::Busy;
}

} // namespace shiftloom
