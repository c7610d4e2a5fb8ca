// SPDX-License-Identifier: MIT
// The job file reader on any bytes as dep.dat: every line it lists comes from a record whose
// text is listed, and is built from that record's fields alone.
#include "support/FaultFileOps.h"

#include "app/JobFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace shiftloom;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    test::FaultFileOps files; // files held in memory
    files.put("s\\dep.dat", bytes);
    const JobListResult result = readJobList(files, "s\\dep.dat", JobFileOpen::ReadOnly);
    if (result.error != platform::FileError::None)
        std::abort();
    const std::size_t records = size / kJobRecordLength + (size % kJobRecordLength != 0);
    if (result.lines.size() + 1 > records && !result.lines.empty())
        std::abort(); // more jobs listed than there are records after the header
    for (std::string_view line : result.lines) {
        if (line.size() > 85)
            std::abort();
    }
    // Record by record after the header, the same decision on each record's text and the same
    // line: the list is the first of the lines of every listed record, in record order.
    std::size_t listed = 0;
    for (std::size_t at = kJobRecordLength; at < bytes.size(); at += kJobRecordLength) {
        const std::string_view text = recordText(bytes.substr(at, kJobRecordLength));
        if (text.size() > kJobTextMaxLength)
            std::abort();
        if (!isListed(text))
            continue;
        const std::string line = jobLine(text);
        if (listed < result.lines.size() && result.lines[listed] != line)
            std::abort();
        ++listed;
    }
    if (listed < result.lines.size())
        std::abort();
    return 0;
}
