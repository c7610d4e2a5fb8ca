// SPDX-License-Identifier: MIT
#include "app/SettingsStore.h"
#include "app/SlotTable.h"
#include "platform/SettingsBackend.h"

#include <gtest/gtest.h>

namespace shiftloom {
namespace {

class SlotTableTest : public ::testing::Test
{
protected:
    platform::MemorySettingsBackend backend;
    SettingsStore settings{backend};
    Form1Model form;
    SlotTable slots{form};
};

TEST_F(SlotTableTest, KeysAreTheWordThenOneDigit)
{
    EXPECT_EQ(keys::button(0), "button0");
    EXPECT_EQ(keys::card(9), "card9");
    EXPECT_EQ(keys::desc(5), "desc5");
}

TEST_F(SlotTableTest, AFirstRunShowsTenFreeIdleSlots)
{
    slots.restore(settings);
    for (int i = 0; i < SlotTable::count(); ++i) {
        const ButtonSlot s = slots.slot(i);
        EXPECT_EQ(s.SlotJob(), "[empty]");
        EXPECT_TRUE(s.isFree());
        EXPECT_EQ(s.SlotCard(), "");
        EXPECT_EQ(s.SlotDescription(), "");
        EXPECT_EQ(s.SlotElapsed(), "00:00:00");
        EXPECT_FALSE(s.SlotRunning());
        EXPECT_EQ(form.backColour(ctl::Command6(i)), IdleColour);
    }
}

TEST_F(SlotTableTest, RestoreTakesEachSlotsThreeKeysAndNothingElse)
{
    settings.write("button3", "WS  JOB00003");
    settings.write("card3", "567");
    settings.write("desc3", "Gearbox housing      Drill 4 holes");
    settings.write("desc5", "left over");
    settings.write("3button", "wrong key");
    form.setCaption(ctl::Text2(3), "01:02:03");
    slots.restore(settings);

    const ButtonSlot s3 = slots.slot(3);
    EXPECT_EQ(s3.SlotJob(), "WS  JOB00003");
    EXPECT_EQ(s3.SlotCard(), "567");
    EXPECT_EQ(s3.SlotDescription(), "Gearbox housing      Drill 4 holes");
    EXPECT_EQ(s3.SlotElapsed(), "01:02:03") << "the restore leaves the time boxes alone";
    // An empty caption comes up free, but the restore does not clear what else was stored.
    EXPECT_EQ(slots.slot(5).SlotJob(), "[empty]");
    EXPECT_EQ(slots.slot(5).SlotDescription(), "left over");
    EXPECT_EQ(slots.slot(4).SlotJob(), "[empty]");
}

TEST_F(SlotTableTest, FreeMeansExactlyTheCaptionEmptyInBrackets)
{
    slots.slot(0).setSlotJob("[Empty]");
    slots.slot(1).setSlotJob("[empty] ");
    slots.slot(2).setSlotJob("[empty]");
    EXPECT_FALSE(slots.slot(0).isFree());
    EXPECT_FALSE(slots.slot(1).isFree());
    EXPECT_TRUE(slots.slot(2).isFree());
}

TEST_F(SlotTableTest, RunningIsTheColourOfTheInButton)
{
    ButtonSlot s = slots.slot(4);
    s.setRunning();
    EXPECT_TRUE(s.SlotRunning());
    EXPECT_EQ(form.backColour(ctl::Command6(4)), RunningColour);
    // The slots copy the holders' colours, so changing a holder changes what "running" is.
    form.setBackColour(ctl::Command1, 0x00123456u);
    EXPECT_FALSE(s.SlotRunning());
    s.setRunning();
    EXPECT_EQ(form.backColour(ctl::Command6(4)), 0x00123456u);
    s.setIdle();
    EXPECT_FALSE(s.notIdle());
}

TEST_F(SlotTableTest, StoreAllWritesThirtyKeysThatRestoreBack)
{
    for (int i = 0; i < SlotTable::count(); ++i) {
        slots.slot(i).setSlotJob("JOB" + std::to_string(i));
        slots.slot(i).setSlotCard(std::to_string(100 + i));
        slots.slot(i).setSlotDescription("desc " + std::to_string(i));
    }
    const int before = backend.writeCount();
    slots.storeAll(settings);
    EXPECT_EQ(backend.writeCount() - before, 30);
    EXPECT_EQ(settings.read("button9"), "JOB9");
    EXPECT_EQ(settings.read("card0"), "100");
    EXPECT_EQ(settings.read("desc4"), "desc 4");

    Form1Model again;
    SlotTable restored(again);
    restored.restore(settings);
    for (int i = 0; i < SlotTable::count(); ++i) {
        EXPECT_EQ(restored.slot(i).SlotJob(), slots.slot(i).SlotJob());
        EXPECT_EQ(restored.slot(i).SlotCard(), slots.slot(i).SlotCard());
        EXPECT_EQ(restored.slot(i).SlotDescription(), slots.slot(i).SlotDescription());
        EXPECT_FALSE(restored.slot(i).SlotRunning());
    }
}

TEST(SettingsStoreTest, ReadsPassEmptyTextAsDefaultAndUseTheProgramsAddress)
{
    platform::MemorySettingsBackend backend;
    SettingsStore settings(backend);
    EXPECT_EQ(settings.read(keys::DataLoc), "");
    settings.write(keys::DataLoc, "c:\\cw");
    EXPECT_EQ(backend.read("Ovix_Shift-Loom", "Properties", "DataLoc"), std::optional<std::string>("c:\\cw"));
    settings.write(keys::DataLoc, "");
    EXPECT_EQ(settings.read(keys::DataLoc, "x"), "") << "written empty reads empty, not the default";
}

} // namespace
} // namespace shiftloom
