// SPDX-License-Identifier: MIT
#include "Delivery.h"

#include "app/StorePaths.h"
#include "platform/WindowsPath.h"

#include <cstdio>

namespace shiftloom::delivery {

using platform::FileError;

namespace {

/** The store's answer to opening its data file for appending, as every write does. */
FileError probeStore(platform::FileOps& files, std::string_view data)
{
    platform::OpenFile file(files);
    FileError error = file.openGuarded(data, kStoreMarkerName, platform::OpenMode::AppendCreate);
    if (error == FileError::AccessDenied)
        error = file.openGuarded(data, kStoreMarkerName, platform::OpenMode::AppendOnly);
    return error;
}

/** True when the file holds something (a journal emptied after its last delivery holds nothing). */
bool holdsAnything(platform::FileOps& files, std::string_view path)
{
    platform::OpenFile file(files);
    std::uint64_t size = 0;
    return file.open(path, platform::OpenMode::Read) == FileError::None
        && files.size(file.handle(), size) == FileError::None && size > 0;
}

StoreAnswer answerTo(FileError error)
{
    return error == FileError::None ? StoreAnswer::Takes
        : error == FileError::Busy  ? StoreAnswer::Busy
                                    : StoreAnswer::Away;
}

} // namespace

Delivery::Delivery(platform::FileOps& files, platform::LockWait wait, std::uint64_t nonce, DeliveryCounts& counts)
    : m_files(files)
    , m_wait(wait)
    , m_nonce(nonce)
    , m_counts(counts)
{
}

HandOver::Setup Delivery::setup(std::string journal, bool earlier)
{
    auto inStore = [earlier](std::string_view path) {
        return !(earlier ? path == kEarlierBuffer || path == kEarlierSpool : path.starts_with(platform::kOwnFolder));
    };
    return {m_files, m_wait, std::move(journal), inStore, m_nonce, m_batchBytes, m_counts, std::string(kBufferFolder)};
}

Delivery::Earlier Delivery::handOverEarlier(std::string_view storeData, FileError& error)
{
    const bool present = platform::canOpenForReading(m_files, kEarlierBuffer)
        || platform::canOpenForReading(m_files, kEarlierSpool) || platform::canOpenForReading(m_files, kEarlierJournal);
    if (!present)
        return Earlier::Gone;
    Earlier outcome = Earlier::Delivered;
    {
        HandOver earlier(setup(std::string(kEarlierJournal), true));
        // Another account's journal, or one an older panel holds now: not this delivery's to take.
        if (earlier.begin() != FileError::None || !earlier.journalOpen())
            return Earlier::Gone;
        std::string forStore;
        std::string forWaiting;
        earlier.settleRecords(forStore, forWaiting);
        if (!earlier.allSettled())
            return Earlier::Busy;
        auto toStore = [&](const std::string& lines) {
            if (lines.empty())
                return true;
            switch (earlier.appendRecords(storeData, lines, error)) {
            case HandOver::Appended::Done:
            case HandOver::Appended::InJournal:
                return true;
            default:
                outcome = error == FileError::Busy ? Earlier::Busy : Earlier::StoreFault;
                return false;
            }
        };
        if (!toStore(forStore))
            return outcome;
        bool gone = true;
        for (const std::string_view source : {kEarlierBuffer, kEarlierSpool}) {
            // A store in the root of C: has the earlier buffer for its data file: it is there already.
            if (source == kEarlierBuffer && m_files.sameFile(source, storeData))
                continue;
            switch (earlier.handOver(source, storeData, error)) {
            case SourceState::Absent:
                break;
            case SourceState::Delivered:
                gone = false;
                break;
            case SourceState::Waiting:
                return Earlier::Busy;
            case SourceState::StoreFault:
                return Earlier::StoreFault;
            case SourceState::Unreadable:
                std::fputs(
                    "Ovix Shift-Loom: records left by an earlier version cannot be read; they wait there\n", stderr);
                return Earlier::Gone;
            }
        }
        if (!toStore(forWaiting))
            return outcome;
        earlier.finish(gone);
        if (!gone || !earlier.empty() || !earlier.allSettled())
            return Earlier::Delivered;
    }
    m_files.remove(kEarlierJournal);
    return Earlier::Gone;
}

RoundResult Delivery::run(std::string_view storeFolder, RecordBuffer& buffer, std::string& held)
{
    RoundResult result;
    const std::string data = storeFile(storeFolder, kDataFileName);
    // Held records go to the buffer first: there they are on the disk.
    if (!held.empty() && buffer.put(held) == FileError::None)
        held.clear();
    std::vector<std::string> files;
    const bool listed = buffer.waiting(files) == FileError::None;
    result.waiting = !held.empty() || !files.empty() || !listed;
    auto stop = [&](StoreAnswer answer, FileError error) {
        result.store = answer;
        result.error = error;
        result.waiting = true;
        return result;
    };

    if (const FileError error = probeStore(m_files, data); error != FileError::None)
        return stop(answerTo(error), error);
    FileError error = FileError::None;
    switch (handOverEarlier(data, error)) {
    case Earlier::Gone:
        break;
    case Earlier::Delivered:
        result.waiting = true;
        break;
    case Earlier::Busy:
        return stop(StoreAnswer::Busy, error);
    case Earlier::StoreFault:
        return stop(StoreAnswer::Away, error);
    }
    if (!result.waiting && !holdsAnything(m_files, kJournal))
        return result; // nothing of this account waits: its journal is not even opened

    HandOver own(setup(std::string(kJournal), false));
    if (error = own.begin(); error != FileError::None)
        return stop(StoreAnswer::Busy, error);
    std::string forStore;
    std::string forWaiting;
    own.settleRecords(forStore, forWaiting);
    if (!own.allSettled())
        return stop(StoreAnswer::Busy, FileError::Busy);
    // Records of a write to the store that did not arrive are older than any file of the buffer:
    // such a write is made only once the buffer is empty.
    forStore += forWaiting;
    if (!forStore.empty()) {
        switch (own.appendRecords(data, forStore, error)) {
        case HandOver::Appended::Done:
        case HandOver::Appended::InJournal:
            break;
        default:
            return stop(answerTo(error), error);
        }
    }
    // Settling may have deleted files that went: the buffer is looked at again.
    if (buffer.waiting(files) != FileError::None)
        return stop(StoreAnswer::Takes, FileError::Io);
    std::size_t removed = 0;
    const SourceState state = own.handOverFiles(files, data, removed, error);
    if (state != SourceState::Absent && state != SourceState::Delivered) {
        if (state == SourceState::Unreadable)
            std::fputs(
                "Ovix Shift-Loom: a record file of the offline buffer cannot be read; it and newer records wait\n",
                stderr);
        m_files.flushFolder(kBufferFolder);
        return stop(state == SourceState::StoreFault ? StoreAnswer::Away : StoreAnswer::Busy, error);
    }
    // The files' removal on the disk first: a journal emptied before it could let a power cut
    // bring a delivered file back without the entry that says it went.
    const bool removalsKept = own.empty() || m_files.flushFolder(kBufferFolder) == FileError::None;
    const bool bufferEmpty = removed == files.size();
    if (!held.empty() && bufferEmpty) {
        switch (own.appendRecords(data, held, error)) {
        case HandOver::Appended::Done:
        case HandOver::Appended::InJournal:
            held.clear();
            break;
        default:
            return stop(answerTo(error), error);
        }
    }
    own.finish(bufferEmpty && removalsKept);
    result.waiting = !held.empty() || !bufferEmpty || !own.allSettled();
    return result;
}

} // namespace shiftloom::delivery
