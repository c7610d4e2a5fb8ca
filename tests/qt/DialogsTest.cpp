// SPDX-License-Identifier: MIT
// The locate dialog, the about box and the tray icon on Qt.
#include "QtFixture.h"

#include "qt/AboutBoxLauncher.h"
#include "qt/AboutDialog.h"
#include "qt/AppIcon.h"
#include "qt/LocateDialog.h"
#include "qt/TrayIcon.h"

#include <QAccessible>
#include <QComboBox>
#include <QFileSystemModel>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTreeView>

namespace shiftloom::test {
namespace {

using DialogsTest = QtFixture;

/** The controls of `dialog` (those it names) that a screen reader finds without a name. */
std::string unnamedControls(QWidget* dialog)
{
    QStringList unnamed;
    for (QWidget* control : dialog->findChildren<QWidget*>()) {
        const QString name = control->objectName();
        if (!name.isEmpty() && !name.startsWith(QStringLiteral("qt_"))
            && QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty())
            unnamed << name;
    }
    return unnamed.join(' ').toStdString();
}

TEST_F(DialogsTest, TheLocateDialogShowsNoIconAndStoresTheFolderItFound)
{
    LocateDialog dialog(settings, files, drives);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowIcon().pixmap(16, 16).toImage().pixelColor(8, 8).alpha(), 0) << "not the program's icon";
    auto* ok = dialogControl<QPushButton>(&dialog, DialogControl::LocateOk);
    EXPECT_FALSE(ok->isEnabled());
    auto* driveList = dialogControl<QComboBox>(&dialog, DialogControl::DriveList);
    EXPECT_EQ(driveList->count() == 1 ? driveList->itemText(0) : QString(), QStringLiteral("/"))
        << "the root file system";

    const std::string found = home.path() + "/volume/cardwarden";
    writeFile(found + "/cardward.ini", "[cardward]\r\n");
    auto* tree = dialogControl<QTreeView>(&dialog, DialogControl::FolderTree);
    auto* filter = static_cast<QSortFilterProxyModel*>(tree->model());
    auto* folders = static_cast<QFileSystemModel*>(filter->sourceModel());
    QModelIndex index;
    ASSERT_TRUE(waitUntil([&] {
        index = filter->mapFromSource(folders->index(QString::fromStdString(found)));
        return index.isValid();
    }));
    tree->setCurrentIndex(index);
    EXPECT_EQ(dialogControl<QLabel>(&dialog, DialogControl::LocateStatus)->text(), QStringLiteral("OK - Found it."));
    EXPECT_EQ(unnamedControls(&dialog), "");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(settings.read(keys::DataLoc), found);
    EXPECT_FALSE(dialog.isVisible()) << "OK closes the dialog";
}

TEST_F(DialogsTest, TheModalLocateDialogReturnsWhenClosedAndOneBesideThePanelIsShownOnce)
{
    bool shown = false;
    whenShown(nameOf(ProgramWindow::LocateDialog), [&shown](QWidget* dialog) {
        shown = dialog->isModal();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    frontEnd.showLocateDialog(DialogMode::Modal);
    EXPECT_TRUE(shown);
    EXPECT_EQ(settings.read(keys::DataLoc), "") << "Esc is Cancel";

    frontEnd.showLocateDialog(DialogMode::Modeless);
    QPointer<LocateDialog> first = frontEnd.modelessLocateDialog();
    frontEnd.showLocateDialog(DialogMode::Modeless);
    ASSERT_TRUE(first);
    EXPECT_EQ(frontEnd.modelessLocateDialog(), first.data()) << "one locate dialog at a time";
    dialogControl<QPushButton>(first, DialogControl::LocateCancel)->click();
    EXPECT_TRUE(waitUntil([&] { return first.isNull(); }));
}

TEST_F(DialogsTest, OneAboutBoxAtATimeAndSystemInfoWithoutAProgramSaysSo)
{
    AboutBoxLauncher about;
    QPointer<AboutDialog> box = about.show();
    EXPECT_EQ(about.show(), box.data());
    EXPECT_EQ(unnamedControls(box), "");
    QString said;
    answerMessageBox(
        [&said](QMessageBox* message) { said = message->windowTitle() + "|" + message->text(); }, QMessageBox::Ok);
    const std::string_view none[] = {"no-such-system-information-program"};
    EXPECT_FALSE(startSystemInformation(none, "Ovix_Shift-Loom", nullptr));
    EXPECT_EQ(said, QStringLiteral("Ovix_Shift-Loom|System Information Is Unavailable At This Time"));
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(waitUntil([&] { return box.isNull(); })) << "closing destroys the box";
    EXPECT_NE(about.show(), nullptr) << "a fresh one after it was closed";
    about.current()->close();
}

TEST_F(DialogsTest, TheTrayIconAnswersALeftClickOnceUntilTheHandlerIsDoneAndALittleMore)
{
    int clicks = 0;
    TrayIcon* trayPointer = nullptr;
    TrayIcon tray(QIcon(), QStringLiteral("tip"), [&] {
        ++clicks;
        trayPointer->activate(QSystemTrayIcon::Trigger); // a second click while the handler runs
    });
    trayPointer = &tray;
    tray.activate(QSystemTrayIcon::Context);
    tray.activate(QSystemTrayIcon::DoubleClick);
    tray.activate(QSystemTrayIcon::Trigger);
    tray.activate(QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks, 1) << "only the left button, once";
    // Once the latch lets go (on a loaded machine perhaps later than its interval), a click counts.
    EXPECT_TRUE(waitUntil([&] {
        tray.activate(QSystemTrayIcon::Trigger);
        return clicks == 2;
    }));
}

TEST_F(DialogsTest, TheProgramIconIsTheArtworkOfTheIconThemeAtEachSize)
{
    // The program embeds its icon as raw rows, made from the theme's PNGs: both show one image
    // (compared as the pixmaps keep them, with their colours premultiplied by their opacity).
    const QIcon icon = appIcon();
    EXPECT_EQ(icon.availableSizes().size(), 5);
    for (const int size : {16, 24, 32, 48, 64}) {
        const QString png =
            QStringLiteral(SHIFTLOOM_SOURCE_DIR "/share/icons/hicolor/%1x%1/apps/com.ovix.ShiftLoom.png").arg(size);
        const QImage artwork = QImage(png).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_FALSE(artwork.isNull()) << png.toStdString();
        EXPECT_EQ(icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), artwork)
            << size;
    }
}

} // namespace
} // namespace shiftloom::test
