// SPDX-License-Identifier: MIT
#include "tray/Tray.h"
#include "TrayFakes.h"

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>

namespace shiftloom {
namespace {

using test::FakeIntervalTimer;
using test::FakeNotifyIconService;

PicturePtr icon32()
{
    return Picture::create(PictureType::Icon, {PictureImage{32, 32, std::vector<std::uint32_t>(32 * 32, 0xFF205B91u)}});
}

std::string tipText(const std::array<char, kTipFieldSize>& field)
{
    return std::string(field.data(), field.size());
}

class TrayTest : public ::testing::Test
{
protected:
    FakeNotifyIconService service;
    FakeIntervalTimer timer;
    Tray tray{service, timer};
    std::vector<std::string> events;

    void recordEvents()
    {
        tray.onLeftClick([this] { events.push_back("LeftClick"); });
        tray.onRightClick([this] { events.push_back("RightClick"); });
        tray.onMouseClick([this](std::int32_t& Button) { events.push_back("MouseClick " + std::to_string(Button)); });
    }
};

// --- Events -------------------------------------------------------------------------------

struct EventCase
{
    std::int32_t mode;
    std::uint32_t message;
    const char* expected; ///< the event raised, or "" for none
};
void PrintTo(const EventCase& c, std::ostream* os)
{
    *os << "mode " << c.mode << ", message 0x" << std::hex << c.message << std::dec << " -> '" << c.expected << "'";
}

class TrayEventTable : public TrayTest, public ::testing::WithParamInterface<EventCase>
{
};

TEST_P(TrayEventTable, PressRaisesTheEventOfTheMode)
{
    const EventCase& c = GetParam();
    PropertyBag bag;
    bag.WriteProperty(trayprops::EventMode, c.mode); // loaded, so 7 stays 7
    tray.ReadProperties(bag);
    recordEvents();

    service.send(c.message);

    if (*c.expected) {
        EXPECT_EQ(events, std::vector<std::string>{c.expected});
        EXPECT_TRUE(tray.clickLatched());
        EXPECT_EQ(timer.interval(), Tray::kLatchInterval);
    } else {
        EXPECT_TRUE(events.empty());
        EXPECT_FALSE(tray.clickLatched());
        EXPECT_FALSE(timer.running());
    }
}

INSTANTIATE_TEST_SUITE_P(Modes,
    TrayEventTable,
    ::testing::Values(EventCase{0, kLeftButtonDown, "LeftClick"},
        EventCase{0, kRightButtonDown, "RightClick"},
        EventCase{1, kLeftButtonDown, "MouseClick 1"},
        EventCase{1, kRightButtonDown, "MouseClick 2"},
        EventCase{7, kLeftButtonDown, "MouseClick 1"},
        EventCase{-2, kRightButtonDown, "MouseClick 2"},
        EventCase{0, 0x202, ""}, // left release
        EventCase{0, 0x203, ""}, // left double click
        EventCase{0, 0x207, ""}, // middle press
        EventCase{1, 0x207, ""},
        EventCase{1, 0, ""}),
    [](const ::testing::TestParamInfo<EventCase>& row) {
        return "Mode" + std::to_string(row.param.mode < 0 ? 9 : row.param.mode) + "Message"
            + std::to_string(row.param.message);
    });

// --- Click latch --------------------------------------------------------------------------

TEST_F(TrayTest, SecondPressWithin15msIsDroppedAndTheNextAfterTheTimerCounts)
{
    recordEvents();
    service.send(kLeftButtonDown);
    service.send(kLeftButtonDown); // before the timer fired
    service.send(kRightButtonDown); // either button
    EXPECT_EQ(events, std::vector<std::string>{"LeftClick"});

    timer.fire();
    EXPECT_FALSE(tray.clickLatched());
    EXPECT_FALSE(timer.running()); // it fired once

    service.send(kRightButtonDown);
    EXPECT_EQ(events, (std::vector<std::string>{"LeftClick", "RightClick"}));
}

TEST_F(TrayTest, PressWhileTheHandlerRunsIsDroppedAndTheTimerStartsAfterTheHandler)
{
    bool timerRanDuringHandler = true;
    int calls = 0;
    tray.onLeftClick([&] {
        ++calls;
        // A handler that opens a modal window lets further notifications in meanwhile.
        service.send(kLeftButtonDown);
        service.send(kRightButtonDown);
        timerRanDuringHandler = timer.running();
    });
    service.send(kLeftButtonDown);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(timerRanDuringHandler);
    EXPECT_EQ(timer.interval(), Tray::kLatchInterval);
}

TEST_F(TrayTest, HandlerThatThrowsDoesNotLeaveTheIconDeaf)
{
    int calls = 0;
    tray.onLeftClick([&] {
        ++calls;
        throw std::runtime_error("handler failed");
    });
    EXPECT_THROW(service.send(kLeftButtonDown), std::runtime_error);
    EXPECT_EQ(timer.interval(), Tray::kLatchInterval);
    timer.fire();
    EXPECT_THROW(service.send(kLeftButtonDown), std::runtime_error);
    EXPECT_EQ(calls, 2);
}

TEST_F(TrayTest, DestroyedControlNoLongerListens)
{
    FakeNotifyIconService otherService;
    FakeIntervalTimer otherTimer;
    {
        Tray shortLived(otherService, otherTimer);
        otherService.send(kLeftButtonDown);
        ASSERT_TRUE(otherTimer.running());
    }
    EXPECT_FALSE(otherService.handler);
    EXPECT_FALSE(otherTimer.hasHandler());
    EXPECT_FALSE(otherTimer.running());
    EXPECT_TRUE(otherService.calls.empty()); // and it did not remove an icon on its own
}

// --- Show: add, modify, delete ------------------------------------------------------------

TEST_F(TrayTest, ShowTrueAddsThenModifiesAndShowFalseDeletesOnce)
{
    tray.setTrayImage(icon32());
    ASSERT_EQ(tray.Show(true), TrayError::None);
    EXPECT_TRUE(tray.IsVisible());
    ASSERT_EQ(tray.Show(true), TrayError::None);
    ASSERT_EQ(tray.Show(false), TrayError::None);
    EXPECT_FALSE(tray.IsVisible());
    ASSERT_EQ(tray.Show(false), TrayError::None);

    ASSERT_EQ(service.calls.size(), 3u);
    EXPECT_EQ(static_cast<std::uint32_t>(service.calls[0].message), 0u); // NIM_ADD
    EXPECT_EQ(static_cast<std::uint32_t>(service.calls[1].message), 1u); // NIM_MODIFY
    EXPECT_EQ(static_cast<std::uint32_t>(service.calls[2].message), 2u); // NIM_DELETE
    EXPECT_EQ(service.calls[2].data, service.calls[1].data); // deleted with the record unchanged
}

TEST_F(TrayTest, ShowFalseWhenAbsentSendsNothing)
{
    ASSERT_EQ(tray.Show(false), TrayError::None);
    EXPECT_TRUE(service.calls.empty());
}

TEST_F(TrayTest, RecordCarriesEveryFieldOfTheFirstForm)
{
    const PicturePtr image = icon32();
    tray.setTrayImage(image);
    tray.setTrayToolTip("  Ovix Tick-Fob");
    ASSERT_EQ(tray.Show(true), TrayError::None);

    const NotifyIconData& data = service.calls.at(0).data;
    EXPECT_EQ(data.cbSize, 88u);
    EXPECT_EQ(data.hWnd, service.ownerWindow());
    EXPECT_EQ(data.uID, 1u);
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_EQ(data.uCallbackMessage, 0x200u);
    EXPECT_EQ(data.hIcon, image->handle());
    EXPECT_NE(data.hIcon, 0u);
    EXPECT_EQ(service.calls[0].icon, image.get());
    EXPECT_EQ(tipText(data.szTip), tipText(trayTipField("  Ovix Tick-Fob")));
}

TEST_F(TrayTest, NewImageAndTooltipReachTheIconOnlyThroughShow)
{
    tray.setTrayImage(icon32());
    ASSERT_EQ(tray.Show(true), TrayError::None);
    const PicturePtr second = icon32();
    tray.setTrayImage(second);
    tray.setTrayToolTip("later");
    EXPECT_EQ(service.calls.size(), 1u);

    ASSERT_EQ(tray.Show(true), TrayError::None);
    ASSERT_EQ(service.calls.size(), 2u);
    EXPECT_EQ(service.calls[1].data.hIcon, second->handle());
    EXPECT_EQ(tipText(service.calls[1].data.szTip), tipText(trayTipField("later")));
}

TEST_F(TrayTest, ShowWithoutImageFailsBeforeTheServiceAndKeepsTheFieldsFilled)
{
    tray.setTrayToolTip("text");
    EXPECT_EQ(tray.Show(true), TrayError::NoImage);
    EXPECT_TRUE(service.calls.empty());
    EXPECT_FALSE(tray.IsVisible());
    const NotifyIconData& record = tray.notifyRecord();
    EXPECT_EQ(record.cbSize, 88u);
    EXPECT_EQ(record.hWnd, service.ownerWindow());
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 0x200u);
    EXPECT_EQ(record.hIcon, 0u);
    EXPECT_EQ(record.szTip, (std::array<char, kTipFieldSize>{})); // not filled yet
}

TEST_F(TrayTest, ShownIconWhoseImageWasClearedStaysAsItWas)
{
    tray.setTrayImage(icon32());
    ASSERT_EQ(tray.Show(true), TrayError::None);
    tray.setTrayImage(nullptr);
    EXPECT_EQ(tray.Show(true), TrayError::NoImage);
    EXPECT_TRUE(tray.IsVisible());
    EXPECT_EQ(service.calls.size(), 1u);
}

TEST_F(TrayTest, RefusedAddLeavesTheIconAbsentSoTheNextShowAddsAgain)
{
    tray.setTrayImage(icon32());
    service.answer = false; // no notification area yet
    EXPECT_EQ(tray.Show(true), TrayError::ServiceFailed);
    EXPECT_FALSE(tray.IsVisible());
    EXPECT_EQ(tray.Show(false), TrayError::None); // nothing to remove

    service.answer = true;
    EXPECT_EQ(tray.Show(true), TrayError::None);
    EXPECT_TRUE(tray.IsVisible());
    ASSERT_EQ(service.calls.size(), 2u);
    EXPECT_EQ(service.calls[0].message, NotifyMessage::Add);
    EXPECT_EQ(service.calls[1].message, NotifyMessage::Add);
}

TEST_F(TrayTest, RefusedModifyAndDeleteAreReported)
{
    tray.setTrayImage(icon32());
    ASSERT_EQ(tray.Show(true), TrayError::None);
    service.answer = false;
    EXPECT_EQ(tray.Show(true), TrayError::ServiceFailed);
    EXPECT_TRUE(tray.IsVisible());
    EXPECT_EQ(tray.Show(false), TrayError::ServiceFailed);
    EXPECT_FALSE(tray.IsVisible());
}

// --- Tooltip field ------------------------------------------------------------------------

struct TipCase
{
    std::string name;
    std::string toolTip;
    std::string expectedBeforeNul; ///< the field's text up to its NUL
};
void PrintTo(const TipCase& c, std::ostream* os)
{
    *os << c.name;
}

class TrayTipField : public ::testing::TestWithParam<TipCase>
{
};

TEST_P(TrayTipField, TextThenNulThenBlankPadding)
{
    const TipCase& c = GetParam();
    const auto field = trayTipField(c.toolTip);
    const std::string bytes = tipText(field);
    ASSERT_LE(c.expectedBeforeNul.size(), 63u);
    EXPECT_EQ(bytes.substr(0, c.expectedBeforeNul.size()), c.expectedBeforeNul);
    EXPECT_EQ(bytes[c.expectedBeforeNul.size()], '\0');
    EXPECT_EQ(bytes.substr(c.expectedBeforeNul.size() + 1), std::string(63 - c.expectedBeforeNul.size(), ' '));
}

const std::string k61(61, 'a');
const std::string k62 = std::string(61, 'b') + "c";

INSTANTIATE_TEST_SUITE_P(Tips,
    TrayTipField,
    ::testing::Values(TipCase{"Empty", "", ""},
        TipCase{"Design", "  Ovix Tick-Fob", "   Ovix Tick-Fob "},
        TipCase{"TwoBlanks", "  ", "    "},
        TipCase{"Exactly61", k61, " " + k61 + " "},
        TipCase{"Cut62To61", k62, " " + std::string(61, 'b') + " "},
        TipCase{"Cut200", std::string(200, 'x'), " " + std::string(61, 'x') + " "},
        TipCase{"EightBit", "Caf\xe9", " Caf\xe9 "}),
    [](const ::testing::TestParamInfo<TipCase>& row) { return row.param.name; });

// --- Properties ---------------------------------------------------------------------------

struct ModeCase
{
    std::int32_t written;
    std::int32_t stored;
};
void PrintTo(const ModeCase& c, std::ostream* os)
{
    *os << c.written << " -> " << c.stored;
}

class TrayEventModeWrite : public TrayTest, public ::testing::WithParamInterface<ModeCase>
{
};

TEST_P(TrayEventModeWrite, WrittenValueIsBroughtIntoZeroToOne)
{
    tray.setEventMode(GetParam().written);
    EXPECT_EQ(tray.EventMode(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Values,
    TrayEventModeWrite,
    ::testing::Values(ModeCase{5, 1},
        ModeCase{-3, 0},
        ModeCase{0, 0},
        ModeCase{1, 1},
        ModeCase{INT32_MAX, 1},
        ModeCase{INT32_MIN, 0}),
    [](const ::testing::TestParamInfo<ModeCase>& row) { return "Index" + std::to_string(row.index); });

TEST_F(TrayTest, LoadingStoredPropertiesTakesThemAsStored)
{
    const PicturePtr bitmap =
        Picture::create(PictureType::Bitmap, {PictureImage{2, 2, std::vector<std::uint32_t>(4, 0xFF00C000u)}});
    PropertyBag bag;
    bag.WriteProperty("TrayImage", bitmap);
    bag.WriteProperty("TrayToolTip", std::string("  Ovix Tick-Fob"));
    bag.WriteProperty("EventMode", std::int32_t{7});
    tray.ReadProperties(bag);
    EXPECT_EQ(tray.TrayImage(), bitmap); // no conversion on load
    EXPECT_EQ(tray.TrayToolTip(), "  Ovix Tick-Fob");
    EXPECT_EQ(tray.EventMode(), 7);
}

TEST_F(TrayTest, SavedPropertiesLoadIntoAnEqualControl)
{
    tray.setTrayImage(icon32());
    tray.setTrayToolTip("");
    tray.setEventMode(1);
    PropertyBag bag;
    tray.WriteProperties(bag);
    EXPECT_TRUE(bag.contains("TrayImage"));
    EXPECT_TRUE(bag.contains("TrayToolTip"));
    EXPECT_TRUE(bag.contains("EventMode"));

    FakeNotifyIconService otherService;
    FakeIntervalTimer otherTimer;
    Tray loaded(otherService, otherTimer);
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.TrayImage(), tray.TrayImage());
    EXPECT_EQ(loaded.TrayToolTip(), ""); // an empty tooltip stays empty, not the default
    EXPECT_EQ(loaded.EventMode(), 1);

    loaded.ReadProperties(PropertyBag{}); // nothing stored: the defaults of a new control
    EXPECT_EQ(loaded.TrayToolTip(), "  ");
    EXPECT_EQ(loaded.EventMode(), 0);
    EXPECT_EQ(loaded.TrayImage(), nullptr);
}

// --- Image conversion ---------------------------------------------------------------------

TEST_F(TrayTest, BitmapBecomesA32By32IconAndTheImageListIsEmptyAgain)
{
    // 64 x 48: left half red, right half blue, a green bottom row band.
    PictureImage source{64, 48, std::vector<std::uint32_t>(64 * 48)};
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x)
            source.argb[static_cast<std::size_t>(y * 64 + x)] =
                y >= 40 ? 0xFF00FF00u : (x < 32 ? 0xFFFF0000u : 0xFF0000FFu);
    }
    const PicturePtr bitmap = Picture::create(PictureType::Bitmap, {source});
    tray.setTrayImage(bitmap);

    const PicturePtr& icon = tray.TrayImage();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->type(), PictureType::Icon);
    EXPECT_NE(icon->handle(), bitmap->handle());
    ASSERT_EQ(icon->images().size(), 1u);
    const PictureImage& image = icon->images()[0];
    EXPECT_EQ(image.width, 32);
    EXPECT_EQ(image.height, 32);
    EXPECT_EQ(image.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(15, 20), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(16, 20), 0xFF0000FFu);
    EXPECT_EQ(image.pixel(31, 31), 0xFF00FF00u);
    EXPECT_EQ(image.pixel(0, 26), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(0, 27), 0xFF00FF00u);
    EXPECT_EQ(tray.ImgList().count(), 0);
}

TEST_F(TrayTest, SmallBitmapIsEnlargedTo32By32)
{
    PictureImage source{2, 2, {0xFF000001u, 0xFF000002u, 0xFF000003u, 0xFF000004u}};
    tray.setTrayImage(Picture::create(PictureType::Metafile, {source}));
    const PictureImage& image = tray.TrayImage()->images().at(0);
    EXPECT_EQ(image.pixel(0, 0), 0xFF000001u);
    EXPECT_EQ(image.pixel(31, 0), 0xFF000002u);
    EXPECT_EQ(image.pixel(0, 31), 0xFF000003u);
    EXPECT_EQ(image.pixel(31, 31), 0xFF000004u);
    EXPECT_EQ(image.pixel(15, 15), 0xFF000001u);
    EXPECT_EQ(image.pixel(16, 16), 0xFF000004u);
}

TEST(PictureTest, HandlesAreDistinctAndNonZero)
{
    const PicturePtr a = Picture::create(PictureType::Icon, {});
    const PicturePtr b = Picture::create(PictureType::Icon, {});
    EXPECT_NE(a->handle(), 0u);
    EXPECT_NE(a->handle(), b->handle());
}

} // namespace
} // namespace shiftloom
