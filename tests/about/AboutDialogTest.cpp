// SPDX-License-Identifier: MIT
#include "AboutFakes.h"
#include "platform/Registry.h"
#include "ui/about/qt/AboutBoxLauncher.h"
#include "ui/about/qt/FrmAboutDialog.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

// The system's font configuration library keeps a few allocations for the life of the process
// once Qt has loaded fonts; LeakSanitizer reads this hook (when the tests run under it).
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace shiftloom {
namespace {

class AboutDialogTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_about_dialog";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }

    void TearDown() override
    {
        if (FrmAboutDialog* box = launcher.current())
            delete box;
    }

    template<typename T> T* child(QWidget* box, const char* name)
    {
        return box->findChild<T*>(QString::fromLatin1(name));
    }

    /** Closes by key and waits until the box is destroyed. */
    void expectKeyDestroysTheBox(Qt::Key key)
    {
        QPointer<FrmAboutDialog> box = launcher.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
        QTest::keyClick(box, key);
        QTRY_VERIFY(box.isNull());
        EXPECT_EQ(launcher.current(), nullptr);
    }

    platform::MemoryRegistry registry;
    test::FakeProgramLauncher programs;
    test::ScriptedMessageBox messages;
    AboutBoxLauncher launcher{SysInfoServices{registry, programs, messages, {}}, "Ovix_Shift-Loom"};
};

TEST_F(AboutDialogTest, ShowsTitleLabelsAndIcon)
{
    FrmAboutDialog* box = launcher.show();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("About Ovix_Shift-Loom"));
    EXPECT_EQ(child<QLabel>(box, "lblTitle")->text(), QStringLiteral("Ovix_Shift-Loom"));
    EXPECT_EQ(child<QLabel>(box, "lblVersion")->text(), QStringLiteral("Version 1.0.14"));
    EXPECT_EQ(child<QPushButton>(box, "cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_EQ(child<QPushButton>(box, "cmdSysInfo")->text(), QStringLiteral("&System Info..."));
    EXPECT_FALSE(child<QLabel>(box, "picIcon")->pixmap().isNull());
    EXPECT_FALSE(box->windowIcon().isNull());
    EXPECT_FALSE(box->isModal());
}

TEST_F(AboutDialogTest, GeometryFromTheDesignAt96Dpi)
{
    FrmAboutDialog* box = launcher.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    EXPECT_EQ(box->geometry(), QRect(156, 129, 382, 155));
    EXPECT_EQ(box->minimumSize(), box->maximumSize()); // fixed size
    EXPECT_EQ(child<QLabel>(box, "picIcon")->geometry(), QRect(16, 16, 32, 32));
    EXPECT_EQ(child<QLabel>(box, "lblTitle")->geometry(), QRect(70, 16, 259, 32));
    EXPECT_EQ(child<QLabel>(box, "lblVersion")->geometry(), QRect(70, 52, 259, 15));
    EXPECT_EQ(child<QPushButton>(box, "cmdOK")->geometry(), QRect(288, 96, 84, 23));
    EXPECT_EQ(child<QPushButton>(box, "cmdSysInfo")->geometry(), QRect(288, 124, 83, 23));
    const Qt::WindowFlags flags = box->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}

TEST_F(AboutDialogTest, EtchedLineIsGreyOverWhite)
{
    FrmAboutDialog* box = launcher.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    const QImage image = box->grab().toImage();
    EXPECT_EQ(image.pixelColor(4, 88), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(image.pixelColor(200, 88), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(image.pixelColor(374, 88), QColor(0x80, 0x80, 0x80)); // the grey line is one pixel longer
    EXPECT_EQ(image.pixelColor(4, 89), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(image.pixelColor(373, 89), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_NE(image.pixelColor(200, 90), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_NE(image.pixelColor(3, 88), QColor(0x80, 0x80, 0x80));
}

TEST_F(AboutDialogTest, EnterClosesAndDestroysTheBox)
{
    expectKeyDestroysTheBox(Qt::Key_Return);
}

TEST_F(AboutDialogTest, EscClosesAndDestroysTheBox)
{
    expectKeyDestroysTheBox(Qt::Key_Escape);
}

TEST_F(AboutDialogTest, OkButtonClosesAndDestroysTheBox)
{
    QPointer<FrmAboutDialog> box = launcher.show();
    QTest::mouseClick(child<QPushButton>(box, "cmdOK"), Qt::LeftButton);
    QTRY_VERIFY(box.isNull());
}

TEST_F(AboutDialogTest, OneBoxAtATimeAndAFreshOneAfterOk)
{
    FrmAboutDialog* first = launcher.show();
    FrmAboutDialog* again = launcher.show();
    EXPECT_EQ(first, again);
    int boxes = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        boxes += qobject_cast<FrmAboutDialog*>(widget) && widget->isVisible() ? 1 : 0;
    EXPECT_EQ(boxes, 1);

    first->close(); // destroyed later; a request before then must not bring it back
    FrmAboutDialog* fresh = launcher.show();
    EXPECT_TRUE(fresh->isVisible());
    EXPECT_EQ(child<QLabel>(fresh, "lblVersion")->text(), QStringLiteral("Version 1.0.14"));
}

TEST_F(AboutDialogTest, SystemInfoWithoutAProgramShowsTheMessage)
{
    FrmAboutDialog* box = launcher.show();
    QTest::mouseClick(child<QPushButton>(box, "cmdSysInfo"), Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, "System Information Is Unavailable At This Time");
    EXPECT_EQ(messages.shown[0].second, "Ovix_Shift-Loom");
    EXPECT_TRUE(box->isVisible());
}

} // namespace
} // namespace shiftloom
