// SPDX-License-Identifier: MIT
#include "platform/Cp1252.h"

#include <gtest/gtest.h>

namespace shiftloom::platform {
namespace {

TEST(Cp1252, EveryByteSurvivesARoundTripThroughUtf8)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
}

TEST(Cp1252, ConvertsTheCharactersThatDifferFromLatin1)
{
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(cp1252ToUtf8("M\xFC"
                           "ller"),
        "M\u00FCller");
    EXPECT_EQ(cp1252ToUtf8("\x93quoted\x94"), "\u201Cquoted\u201D");
    EXPECT_EQ(utf8ToCp1252("\u20AC 5"), "\x80 5");
    EXPECT_EQ(utf8ToCp1252("Stra\u00DFe"),
        "Stra\xDF"
        "e");
}

TEST(Cp1252, CharactersOutsideTheCodePageAndBrokenUtf8BecomeQuestionMarks)
{
    EXPECT_EQ(utf8ToCp1252("a\u4E2Db"), "a?b");
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?"); // cut in the middle of a character
    EXPECT_EQ(utf8ToCp1252("\xFF\xFEz"), "??z"); // never valid in UTF-8
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x98\x80!"), "?!"); // outside the basic plane
}

} // namespace
} // namespace shiftloom::platform
