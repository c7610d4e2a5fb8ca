// SPDX-License-Identifier: MIT
#include "TrayFakes.h"
#include "tray/Tray.h"
#include "tray/qt/AppIcon.h"
#include "tray/qt/PictureConversion.h"
#include "tray/qt/QtIntervalTimer.h"
#include "tray/qt/QtNotifyIconService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <ostream>

namespace shiftloom {
namespace {

class QtTrayBackendTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_tray_qt";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
};

TEST_F(QtTrayBackendTest, ProgramIconHasEverySizeItShips)
{
    const QIcon icon = appIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : {16, 24, 32, 48, 64})
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
    const PicturePtr picture = appIconPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->type(), PictureType::Icon);
    EXPECT_EQ(picture->images().size(), 5u);
    // The tile's blue shows in the middle of the left edge of the 32-pixel image.
    const PictureImage* image32 = nullptr;
    for (const PictureImage& image : picture->images())
        if (image.width == 32)
            image32 = &image;
    ASSERT_NE(image32, nullptr);
    EXPECT_EQ(image32->pixel(2, 16) & 0x00FFFFFFu, 0x205B91u);
}

TEST_F(QtTrayBackendTest, PictureSurvivesTheTripThroughQImage)
{
    PictureImage source{3, 2, {0xFF112233u, 0x80FFFFFFu, 0x00000000u, 0xFF00C000u, 0xFFFF8000u, 0xFF205B91u}};
    const QImage image = toQImage(source);
    const PicturePtr bitmap = pictureFromImage(image);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->type(), PictureType::Bitmap);
    EXPECT_EQ(bitmap->images().at(0), source);
}

TEST_F(QtTrayBackendTest, ToolTipIsTheTipFieldUpToItsNulAsUtf8)
{
    NotifyIconData data;
    data.szTip = trayTipField("Caf\xe9 \x80");
    EXPECT_EQ(QtNotifyIconService::toolTipOf(data), QString::fromUtf8(" Café € "));
    data.szTip = trayTipField("");
    EXPECT_EQ(QtNotifyIconService::toolTipOf(data), QString());
}

struct ActivationCase
{
    QSystemTrayIcon::ActivationReason reason;
    const char* expected;
};
void PrintTo(const ActivationCase& c, std::ostream* os)
{
    *os << "reason " << c.reason << " -> '" << c.expected << "'";
}

class QtTrayActivation : public QtTrayBackendTest, public ::testing::WithParamInterface<ActivationCase>
{
};

TEST_P(QtTrayActivation, ActivationReachesTheControlAsAPress)
{
    QtNotifyIconService service;
    test::FakeIntervalTimer timer;
    Tray tray(service, timer);
    std::vector<std::string> events;
    tray.onLeftClick([&] { events.emplace_back("LeftClick"); });
    tray.onRightClick([&] { events.emplace_back("RightClick"); });
    tray.setTrayImage(appIconPicture());
    tray.setTrayToolTip("  Ovix Tick-Fob");
    ASSERT_EQ(tray.Show(true), TrayError::None);
    ASSERT_NE(service.trayIcon(), nullptr);
    EXPECT_EQ(service.trayIcon()->toolTip(), QStringLiteral("   Ovix Tick-Fob "));
    EXPECT_FALSE(service.trayIcon()->icon().isNull());

    emit service.trayIcon()->activated(GetParam().reason);

    if (*GetParam().expected)
        EXPECT_EQ(events, std::vector<std::string>{GetParam().expected});
    else
        EXPECT_TRUE(events.empty());
    ASSERT_EQ(tray.Show(false), TrayError::None);
    EXPECT_EQ(service.trayIcon(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Reasons,
    QtTrayActivation,
    ::testing::Values(ActivationCase{QSystemTrayIcon::Trigger, "LeftClick"},
        ActivationCase{QSystemTrayIcon::Context, "RightClick"},
        ActivationCase{QSystemTrayIcon::DoubleClick, ""},
        ActivationCase{QSystemTrayIcon::MiddleClick, ""},
        ActivationCase{QSystemTrayIcon::Unknown, ""}),
    [](const ::testing::TestParamInfo<ActivationCase>& row) { return "Reason" + std::to_string(row.param.reason); });

TEST_F(QtTrayBackendTest, ServiceRefusesToChangeOrRemoveAnIconItDoesNotHave)
{
    QtNotifyIconService service;
    NotifyIconData data;
    EXPECT_FALSE(service.notifyIcon(NotifyMessage::Modify, data, nullptr));
    EXPECT_FALSE(service.notifyIcon(NotifyMessage::Delete, data, nullptr));
    EXPECT_TRUE(service.notifyIcon(NotifyMessage::Add, data, nullptr));
    EXPECT_FALSE(service.notifyIcon(NotifyMessage::Add, data, nullptr));
}

TEST_F(QtTrayBackendTest, IconRemovedFromItsOwnClickHandlerIsDeletedSafely)
{
    QtNotifyIconService service;
    test::FakeIntervalTimer timer;
    Tray tray(service, timer);
    tray.setTrayImage(appIconPicture());
    ASSERT_EQ(tray.Show(true), TrayError::None);
    tray.onLeftClick([&] { EXPECT_EQ(tray.Show(false), TrayError::None); });
    QPointer<QSystemTrayIcon> icon = service.trayIcon();
    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(tray.IsVisible());
    QTRY_VERIFY(icon.isNull());
}

TEST_F(QtTrayBackendTest, LatchFreesItselfAfterFifteenMilliseconds)
{
    QtNotifyIconService service;
    QtIntervalTimer timer;
    Tray tray(service, timer);
    int clicks = 0;
    tray.onLeftClick([&] { ++clicks; });
    QElapsedTimer clock;
    clock.start();
    tray.receiveNotification(kLeftButtonDown);
    tray.receiveNotification(kLeftButtonDown);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(tray.clickLatched());
    QTRY_VERIFY_WITH_TIMEOUT(!tray.clickLatched(), 2000);
    EXPECT_GE(clock.elapsed(), 14);
    EXPECT_EQ(timer.interval().count(), 0);
    tray.receiveNotification(kLeftButtonDown);
    EXPECT_EQ(clicks, 2);
}

} // namespace
} // namespace shiftloom
