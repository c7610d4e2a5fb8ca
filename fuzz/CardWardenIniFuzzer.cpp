// SPDX-License-Identifier: MIT
// The scan of Card-Warden's cwv5.ini on any bytes: the path it finds is a whole line of the
// file that follows a "[cardmain" header line, or empty.
#include "support/FaultFileOps.h"

#include "app/DataFolder.h"
#include "platform/FileIo.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace shiftloom;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    test::FaultFileOps files; // files held in memory
    files.put("c:\\windows\\cwv5.ini", bytes);
    const std::string path = scanCardWardenIni(files, "c:\\windows\\cwv5.ini");
    const std::vector<std::string> lines = platform::splitLines(bytes);
    bool found = false;
    for (std::size_t i = 0; i + 1 < lines.size() && !found; ++i) {
        if (lines[i].starts_with("[cardmain")) {
            found = true;
            if (path != lines[i + 1])
                std::abort();
        }
    }
    if (!found && !path.empty())
        std::abort();
    return 0;
}
