// SPDX-License-Identifier: MIT
// The locate dialog and the activity dialog: their layouts, and the locate dialog's events.
#include "PanelFixture.h"

#include "app/Form2Model.h"
#include "ui/qt/Form2Dialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace shiftloom::test {
namespace {

QRect twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

class LocateDialogTest : public PanelFixture
{
protected:
    void SetUp() override
    {
        dialog = std::make_unique<Form2Dialog>(settings, files, drives);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    void TearDown() override { dialog.reset(); }

    template<class T> T* find(const char* name) const { return dialog->findChild<T*>(QString::fromLatin1(name)); }
    /** Moves the folder tree to `folder` as the worker's click would. */
    void chooseFolder(const std::string& folder)
    {
        auto* tree = find<QTreeView>("Dir1");
        auto* filter = static_cast<QSortFilterProxyModel*>(tree->model());
        auto* folders = static_cast<QFileSystemModel*>(filter->sourceModel());
        QModelIndex index;
        QTRY_VERIFY((index = filter->mapFromSource(folders->index(QString::fromStdString(folder)))).isValid());
        tree->setCurrentIndex(index);
    }

    std::unique_ptr<Form2Dialog> dialog;
};

TEST_F(LocateDialogTest, LayoutTitleAndFrameAsDesigned)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("LOCATE DATA FOLDER"));
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_EQ(dialog->size(), QSize(421, 275));
    EXPECT_NE(dialog->minimumSize(), dialog->maximumSize()) << "a resizable frame";

    EXPECT_EQ(find<QWidget>("Frame6")->geometry(), twips(0, 0, 6450, 4380));
    EXPECT_EQ(find<QComboBox>("Drive1")->geometry(), twips(180, 315, 3480, 315));
    EXPECT_EQ(find<QTreeView>("Dir1")->geometry(), twips(180, 720, 4920, 2565));
    // The status line ends at the dialog's right edge (6315), not at the design's 6360, where
    // the end of its right-aligned text would be cut off.
    EXPECT_EQ(find<QLabel>("Label5")->geometry(), twips(4050, 360, 2265, 240));
    EXPECT_EQ(find<QLabel>("Label1")->geometry(), twips(180, 3360, 1695, 195));
    EXPECT_EQ(find<QLineEdit>("Text1")->geometry(), twips(180, 3600, 4935, 315));
    EXPECT_EQ(find<QPushButton>("Command18")->geometry(), twips(5265, 3015, 915, 375));
    EXPECT_EQ(find<QPushButton>("Command17")->geometry(), twips(5280, 3555, 915, 375));

    EXPECT_EQ(find<QLabel>("Label1")->text(), QStringLiteral("Or enter UNC path:"));
    EXPECT_EQ(find<QPushButton>("Command18")->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(find<QPushButton>("Command17")->text(), QStringLiteral("OK"));
    EXPECT_EQ(find<QLabel>("Label5")->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_EQ(find<QLabel>("Label5")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    const QImage frame = find<QWidget>("Frame6")->grab().toImage();
    EXPECT_EQ(frame.pixelColor(5, 200).rgb(), QApplication::palette().color(QPalette::Dark).rgb())
        << "button shadow grey";
    EXPECT_EQ(find<QLabel>("Label5")->font().family(), QStringLiteral("MS Sans Serif"));
}

TEST_F(LocateDialogTest, OpensOnTheCurrentFolderWithOkDisabledAndFocusOnCancel)
{
    EXPECT_FALSE(find<QPushButton>("Command17")->isEnabled());
    EXPECT_EQ(find<QLabel>("Label5")->text(), QString());
    EXPECT_EQ(find<QComboBox>("Drive1")->currentText().toStdString(), drives.volume());
    EXPECT_EQ(dialog->model().Dir1(), drives.volume() + "/work");
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>("Command18"));
    // OK is skipped while disabled: Cancel, the folder tree, the drive list, the path box.
    for (const char* next : {"Dir1", "Drive1", "Text1", "Command18"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), next);
    }
}

TEST_F(LocateDialogTest, FolderWithTheStoreMarkerEnablesOkWhichStoresIt)
{
    const std::string found = drives.volume() + "/cardwarden";
    writeFile(found + "/cardward.ini", "[cardward]\r\n");
    writeFile(drives.volume() + "/other/readme", "x");
    chooseFolder(drives.volume() + "/other");
    EXPECT_EQ(find<QLabel>("Label5")->text(), QStringLiteral("No, its not there."));
    EXPECT_FALSE(find<QPushButton>("Command17")->isEnabled());
    chooseFolder(found);
    EXPECT_EQ(find<QLabel>("Label5")->text(), QStringLiteral("OK - Found it."));
    ASSERT_TRUE(find<QPushButton>("Command17")->isEnabled());

    QTest::mouseClick(find<QPushButton>("Command17"), Qt::LeftButton);
    EXPECT_EQ(settings.read(keys::DataLoc), found);
    EXPECT_FALSE(dialog->isVisible()) << "OK closes the dialog";
}

TEST_F(LocateDialogTest, ChoosingADriveMovesTheTreeThereAndProbesIt)
{
    writeFile(drives.driveC() + "/cardward.ini", "[cardward]\r\n");
    writeFile(drives.driveC() + "/CardWarden/readme.txt", "");
    writeFile(drives.driveC() + "/windows/cwv5.ini", "");
    auto* drive = find<QComboBox>("Drive1");
    drive->setFocus(Qt::TabFocusReason);
    pickFromList(drive, QStringLiteral("c:"));
    EXPECT_EQ(dialog->model().Dir1(), drives.driveC());
    EXPECT_EQ(find<QLabel>("Label5")->text(), QStringLiteral("OK - Found it."));
    auto* tree = find<QTreeView>("Dir1");
    auto* filter = static_cast<QSortFilterProxyModel*>(tree->model());
    EXPECT_EQ(filter->rowCount(tree->rootIndex()), 1) << "the drive's folder is the tree's only top item";
    EXPECT_EQ(tree->currentIndex().data().toString(), QStringLiteral("c:\\")) << "named as the drive";
    QTRY_COMPARE(filter->rowCount(tree->currentIndex()), 2);
    saveScreenshot(dialog.get(), QStringLiteral("form2.png"));
}

TEST_F(LocateDialogTest, TypedPathIsStoredWithoutTrailingBackslashesAndEscapeCancels)
{
    auto* path = find<QLineEdit>("Text1");
    QTest::keyClicks(path, QStringLiteral("\\\\server\\share\\\\"));
    EXPECT_TRUE(find<QPushButton>("Command17")->isEnabled());
    QTest::keyClick(path, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible()) << "Enter is not OK";
    QTest::mouseClick(find<QPushButton>("Command17"), Qt::LeftButton);
    EXPECT_EQ(settings.read(keys::DataLoc), "\\\\server\\share");

    // Esc, or a close by the window manager, is Cancel: nothing is stored.
    settings.write(keys::DataLoc, "");
    for (bool escape : {true, false}) {
        Form2Dialog other(settings, files, drives);
        other.show();
        QTest::keyClicks(other.findChild<QLineEdit*>(QStringLiteral("Text1")), QStringLiteral("/somewhere"));
        if (escape)
            QTest::keyClick(other.findChild<QLineEdit*>(QStringLiteral("Text1")), Qt::Key_Escape);
        else
            other.close();
        EXPECT_TRUE(other.model().closed());
        EXPECT_FALSE(other.isVisible());
        EXPECT_EQ(settings.read(keys::DataLoc), "");
    }
}

TEST_F(PanelFixture, ModalLocateDialogReturnsWhenClosedAndModelessOneIsShownOnce)
{
    bool shown = false;
    whenShown(QStringLiteral("Form2"), [&shown](QWidget* form2) {
        shown = true;
        EXPECT_TRUE(form2->isModal());
        form2->findChild<QPushButton*>(QStringLiteral("Command18"))->click();
    });
    host.showLocateDialog(true);
    EXPECT_TRUE(shown);

    host.showLocateDialog(false);
    QPointer<Form2Dialog> first = host.modelessLocateDialog();
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->isModal());
    host.showLocateDialog(false);
    EXPECT_EQ(host.modelessLocateDialog(), first.data()) << "one locate dialog at a time";
    first->findChild<QPushButton*>(QStringLiteral("Command18"))->click();
    QTRY_VERIFY(first.isNull());
}

} // namespace
} // namespace shiftloom::test
