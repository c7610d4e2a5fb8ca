// SPDX-License-Identifier: MIT
// The delivery after any journal: whatever the account's journal and the journal c:\data.journal
// of an earlier version hold (torn, foreign, forged), the delivery ends, and every record waiting
// in a file of the offline buffer or in the earlier buffer c:\data reaches the store or still
// waits where it was, unless a journal truly names its file (c:\data by the hash of its first
// bytes; a record file by its name and identity, in an entry whose records are not the file's:
// an entry that carries the file's record lets the file go only once that record is in the store).
//
// Input: one byte of choices (bit 0: the journal is the account's, bit 1: the earlier one's, both
// when neither; bits 2 to 7: the hand-over's batch size in bytes, 0 for the default), then the
// journal's bytes.
#include "delivery/Journal.h"
#include "delivery/TimeRecordWriter.h"
#include "delivery/WaitingPlaces.h"
#include "platform/FileIo.h"
#include "support/FaultFileOps.h"

#include <cstdlib>
#include <string>

namespace {

using namespace shiftloom;

/** The bytes of a file held in memory; false when there is none. */
bool contentOf(test::FaultFileOps& files, std::string_view path, std::string& bytes)
{
    platform::OpenFile file(files);
    return file.open(path, platform::OpenMode::Read) == platform::FileError::None
        && platform::readAll(files, file.handle(), bytes) == platform::FileError::None;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view journal(reinterpret_cast<const char*>(data) + 1, size - 1);
    const bool own = (data[0] & 1) || !(data[0] & 2), earlierJournal = (data[0] & 2) || !(data[0] & 1);
    const std::string earlierLines[] = {"b1", "", "b3 x"};
    const std::string recordFiles[][2] = {
        {"00000000000000000001-0000000000000001.rec", "f1"}, {"00000000000000000002-0000000000000001.rec", "f2 y"}};
    std::string earlier;
    for (const std::string& line : earlierLines)
        earlier += line + "\r\n";

    test::FaultFileOps files; // files held in memory
    files.put(std::string(delivery::kEarlierBuffer), earlier);
    if (own)
        files.put(std::string(delivery::kJournal), journal);
    if (earlierJournal)
        files.put(std::string(delivery::kEarlierJournal), journal);
    for (const auto& [name, line] : recordFiles)
        files.put(std::string(delivery::kBufferFolder) + "\\" + name, line + "\r\n");
    files.put("store\\cardward.ini", "[cardward]\r\n");
    files.put("store\\data", "old\r\n");
    {
        TimeRecordWriter writer(files);
        if (data[0] >> 2)
            writer.setBatchBytes(data[0] >> 2);
        writer.setStore("store");
        writer.settle(std::chrono::steady_clock::now() + std::chrono::seconds(1));
    }

    std::string store;
    if (!contentOf(files, "store\\data", store))
        std::abort();
    const auto arrivedOrWaits = [&](const std::string& line, std::string_view source) {
        std::string waiting;
        return store.find(line + "\r\n") != std::string::npos
            || (contentOf(files, source, waiting) && waiting.find(line + "\r\n") != std::string::npos);
    };
    // A journal that knows c:\data's first bytes may say that some of them went already.
    bool namesEarlier = false;
    for (std::size_t end = 0; end <= earlier.size() && !namesEarlier; ++end)
        namesEarlier = journal.find(std::to_string(delivery::hashOn(delivery::kHashBasis, earlier.substr(0, end))))
            != std::string_view::npos;
    for (const std::string& line : earlierLines) {
        if (!namesEarlier && !arrivedOrWaits(line, delivery::kEarlierBuffer))
            std::abort();
    }
    std::size_t valid = 0;
    const std::vector<delivery::JournalEntry> entries = delivery::decode(journal, valid);
    for (const auto& [name, line] : recordFiles) {
        const std::string path = std::string(delivery::kBufferFolder) + "\\" + name;
        bool named = false;
        for (const delivery::JournalEntry& e : entries)
            named = named
                || (e.kind == 'F' && e.source.find(name + "=" + path + "=") != std::string::npos
                    && e.payload.find(line + "\r\n") == std::string::npos);
        if (!named && !arrivedOrWaits(line, path))
            std::abort();
    }
    return 0;
}
