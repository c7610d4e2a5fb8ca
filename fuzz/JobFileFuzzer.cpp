// SPDX-License-Identifier: MIT
// The job file reader on any bytes as dep.dat: every line it lists comes from a record whose
// text is listed, and is built from that record's fields alone.
#include "MemoryFileOps.h"

#include "app/JobFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace shiftloom;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::MemoryFileOps files;
    files.put("s\\dep.dat", bytes);
    const JobListResult result = readJobList(files, "s\\dep.dat", JobFileOpen::ReadOnly);
    if (result.error != platform::FileError::None)
        std::abort();
    const std::size_t records = size / kJobRecordLength + (size % kJobRecordLength != 0);
    if (result.lines.size() + 1 > records && !result.lines.empty())
        std::abort(); // more jobs listed than there are records after the header
    for (const std::string& line : result.lines) {
        if (line.size() > 85)
            std::abort();
    }
    // Record by record, the same decision on each record's text.
    for (std::size_t at = 0; at < bytes.size(); at += kJobRecordLength) {
        const std::string_view text = recordText(bytes.substr(at, kJobRecordLength));
        if (text.size() > kJobTextMaxLength)
            std::abort();
        if (isListed(text))
            (void)JobLine(parseJobEntry(text));
    }
    return 0;
}
