// SPDX-License-Identifier: MIT
#include "platform/WindowsPath.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace shiftloom::platform {
namespace {

TEST(PathMapping, Placeholder)
{
    test::TempDir dir;
    PosixPathMapper mapper(dir.path());
    EXPECT_EQ(mapper.toHost("c:\\data"), dir.path() + "/Ovix_Shift-Loom/drive_c/data");
}

} // namespace
} // namespace shiftloom::platform
