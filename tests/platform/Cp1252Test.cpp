// SPDX-License-Identifier: MIT
#include "platform/Cp1252.h"

#include <gtest/gtest.h>

namespace shiftloom::platform {
namespace {

TEST(Cp1252, ConvertsEveryByteBothWaysAndWhatItLacksBecomesAQuestionMark)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    EXPECT_EQ(cp1252ToUtf8("\x80 M\xFCller \x93q\x94"), "\u20AC M\u00FCller \u201Cq\u201D");
    // Outside the code page, never valid in UTF-8, outside the basic plane, cut short.
    EXPECT_EQ(utf8ToCp1252("\u4E2D \xFF\xFE \xF0\x9F\x98\x80 \xC3"), "? ?? ? ?");
}

} // namespace
} // namespace shiftloom::platform
