// SPDX-License-Identifier: MIT
#include "panel/DataFolderDialog.h"

#include <gtest/gtest.h>

namespace shiftloom {
namespace {

// The locate dialog's folder list: the way down from the root, then the folders within, sorted
// without regard to case, each line with the folder it opens.
TEST(FolderList, ShowsTheWayDownThenTheFoldersWithinSortedWithoutRegardToCase)
{
    struct Case
    {
        const char* folder;
        std::vector<std::string> within;
        std::vector<FolderLine> lines;
        std::ptrdiff_t current;
    };
    const Case cases[] = {
        {"c:\\work\\cw",
            {"b", "A", "c"},
            {{"c:\\", "c:\\"},
                {"  work", "c:\\work"},
                {"    cw", "c:\\work\\cw"},
                {"      A", "c:\\work\\cw\\A"},
                {"      b", "c:\\work\\cw\\b"},
                {"      c", "c:\\work\\cw\\c"}},
            2},
        {"c:\\", {"x"}, {{"c:\\", "c:\\"}, {"  x", "c:\\x"}}, 0},
        {"", {}, {}, -1},
    };
    for (const Case& c : cases) {
        const FolderList list = folderList(c.folder, c.within);
        EXPECT_EQ(list.lines, c.lines) << c.folder;
        EXPECT_EQ(list.current, c.current) << c.folder;
    }
}

} // namespace
} // namespace shiftloom
