// SPDX-License-Identifier: MIT
#include "tool/StoreFolder.h"

#include "support/TempDir.h"
#include "tool/ToolError.h"

#include <gtest/gtest.h>

#include <tuple>

namespace shiftloom::tool {
namespace {

using Seen = std::vector<std::tuple<std::size_t, DataLineKind, DataLineProblem, LineEnd, std::size_t>>;

Seen scan(StoreReader& store, std::uint64_t limit, std::optional<std::uint64_t>& read)
{
    Seen seen;
    read = store.scanDataFile(
        [&seen](
            const DataLine& line) { seen.emplace_back(line.number, line.kind, line.problem, line.end, line.length); },
        limit);
    return seen;
}

TEST(StoreReader, ReadsTheDataFileInPiecesAsTheDecoderSplitsIt)
{
    // Two megabytes, so that lines and line ends straddle the pieces: records, an LF alone, empty
    // lines, a line longer than a piece, a CR right before a piece ends, and a last line without its end.
    const std::string record = "0120261205080700000000000000123400000000000005670000000000000003";
    std::string data;
    for (std::size_t i = 0; data.size() < (1u << 20) - 200; ++i)
        data += record.substr(0, 24 + i % 41) + (i % 7 == 0 ? "\n" : "\r\n") + (i % 11 == 0 ? "\r\n" : "");
    data.append((2u << 20) - 1 - data.size(), '1');
    data += "\r\n" + record + "\r";
    test::TempDir folder;
    test::writeFile(folder.file("data"), data);

    StoreReader store(folder.path());
    std::optional<std::uint64_t> read;
    const Seen seen = scan(store, std::numeric_limits<std::uint64_t>::max(), read);
    Seen expected;
    for (const DataLine& line : decodeDataFile(data).lines)
        expected.emplace_back(line.number, line.kind, line.problem, line.end, line.length);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(read, data.size());

    // A second reading sees the same lines while records are appended, and refuses a shorter file.
    test::writeFile(folder.file("data"), data + "\n" + record + "\r\n");
    EXPECT_EQ(scan(store, *read, read), expected);
    test::writeFile(folder.file("data"), record);
    EXPECT_THROW(scan(store, *read, read), ToolError);
}

} // namespace
} // namespace shiftloom::tool
