// SPDX-License-Identifier: MIT
// The hand-over of the offline buffer after any journal: whatever the journal c:\data.journal
// holds (torn, foreign, forged), the hand-over ends, and every buffered line reaches the store,
// unless the journal truly names this buffer (its hash of the buffer's first bytes).
#include "app/OfflineBuffer.h"
#include "support/FaultFileOps.h"

#include <cstdlib>

namespace {

std::uint64_t fnv(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace shiftloom;
    const std::string_view journal(reinterpret_cast<const char*>(data), size);
    const std::string lines[] = {"b1", "", "b3 x", "b4"};
    std::string buffer;
    for (const std::string& line : lines)
        buffer += line + "\r\n";
    test::FaultFileOps files; // files held in memory
    files.put("c:\\data", buffer);
    files.put("c:\\data.journal", journal);
    files.put("store\\data", "old\r\n");
    OfflineBuffer offline(files, {}, "spool");
    offline.replayInto("store\\data");

    // A journal that knows this buffer's bytes may say that some of them went already.
    bool namesBuffer = false;
    for (std::size_t end = 0; end <= buffer.size() && !namesBuffer; ++end)
        namesBuffer =
            journal.find(std::to_string(fnv(std::string_view(buffer).substr(0, end)))) != std::string_view::npos;
    if (namesBuffer)
        return 0;
    platform::FileHandle handle;
    std::string store;
    if (files.open("store\\data", platform::OpenMode::Read, handle) != platform::FileError::None
        || platform::readAll(files, handle, store) != platform::FileError::None)
        std::abort();
    for (const std::string& line : lines) {
        if (store.find(line + "\r\n") == std::string::npos)
            std::abort();
    }
    return 0;
}
