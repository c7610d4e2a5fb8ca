// SPDX-License-Identifier: MIT
// The activity list on any bytes as activities.txt: one item per line, each the code, "  :  "
// and the number, whose first and last 8 characters give the code and number back.
#include "support/FaultFileOps.h"

#include "app/ActivityFile.h"
#include "platform/FileIo.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace shiftloom;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    test::FaultFileOps files; // files held in memory
    files.put("s\\activities.txt", bytes);
    std::vector<std::string> items;
    if (readActivityItems(files, "s\\activities.txt", items) != platform::FileError::None)
        std::abort();
    const std::vector<std::string> lines = platform::splitLines(bytes);
    if (items.size() != lines.size())
        std::abort();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Activity activity = parseActivityLine(lines[i]);
        if (activity.code.size() > 8 || activity.number.size() > 8)
            std::abort();
        if (items[i] != activityItem(activity.code, activity.number))
            std::abort();
        if (activity.code.size() == 8 && itemCode(items[i]) != activity.code)
            std::abort();
        if (activity.number.size() == 8 && itemNumber(items[i]) != activity.number)
            std::abort();
    }
    return 0;
}
