// SPDX-License-Identifier: MIT
// The store tool's decoder of the data file on any bytes: one decoded line per line of the
// file, valid lines exactly 24 or 64 digits, and each line decoded alone as within the file.
#include "timing/RecordLayout.h"
#include "tool/DataFileDecoder.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace shiftloom::tool;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const DecodedDataFile file = decodeDataFile(std::string(bytes));
    std::size_t invalid = 0;
    std::size_t total = 0;
    for (const DataLine& line : file.lines) {
        total += line.length;
        if (line.kind == DataLineKind::Invalid) {
            ++invalid;
            if (line.problem == DataLineProblem::None || line.excerpt.size() > kExcerptLength)
                std::abort();
            (void)describeProblem(line);
        } else if (line.length != shiftloom::record::longLength && line.length != shiftloom::record::shortLength) {
            std::abort();
        }
        (void)kindName(line.kind);
    }
    if (invalid != file.invalidCount || total > size)
        std::abort();
    return 0;
}
