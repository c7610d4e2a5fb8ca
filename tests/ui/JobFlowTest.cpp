// SPDX-License-Identifier: MIT
// Whole presses on the panel through its widgets: the activity dialog answered as a worker
// would, and the records that reach the data file of the store.
#include "PanelFixture.h"

#include "ui/qt/DesignLook.h"
#include "ui/qt/Form3Dialog.h"
#include "ui/qt/PickComboBox.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace shiftloom::test {
namespace {

class JobFlowTest : public PanelFixture
{
protected:
    void SetUp() override
    {
        makeStore();
        loadAndShow();
    }

    /** Assigns the job of `line` (the start of its job list line) to the top button. */
    void assign(const QString& line)
    {
        auto* jobs = widgetAs<PickComboBox>(ctl::Combo1);
        for (int i = 0; i < jobs->count(); ++i) {
            if (jobs->itemText(i).startsWith(line)) {
                pickFromList(jobs, jobs->itemText(i));
                return;
            }
        }
        FAIL() << "no job " << line.toStdString();
    }

    /** Presses job button `i`; the activity dialog is answered by `answer` when it shows. */
    void pressJob(int i, std::function<void(QWidget*)> answer)
    {
        bool shown = false;
        whenShown(QStringLiteral("Form3"), [&shown, answer = std::move(answer)](QWidget* dialog) {
            shown = true;
            answer(dialog);
        });
        QTest::mouseClick(widget(ctl::Command6(i)), Qt::LeftButton);
        EXPECT_TRUE(shown) << "the activity dialog was shown";
    }

    static std::function<void(QWidget*)> choose(const QString& item)
    {
        return [item](QWidget* dialog) { pickFromList(dialog->findChild<QComboBox*>(QStringLiteral("Combo1")), item); };
    }

    QColor buttonFace(int i) const
    {
        const QImage face = widget(ctl::Command6(i))->grab().toImage();
        return face.pixelColor(3, 2);
    }
};

const QColor kGreen(0, 192, 0);

TEST_F(JobFlowTest, StartingAJobAndStoppingAllAppendOneRecordEach)
{
    assign(QStringLiteral("WS      JOB00001"));
    assign(QStringLiteral("WS      JOB00002")); // JOB00001 moves to the second button
    ASSERT_EQ(caption(ctl::Command6(1)), "WS      JOB00001");
    form.model().setCaption(ctl::Text3, "4711");
    for (int digit : {1, 2})
        widgetAs<QPushButton>(ctl::Command3(digit))->click();

    pressJob(1, choose(QStringLiteral("PAINTING  :  00000012")));
    EXPECT_EQ(buttonFace(1), kGreen);
    EXPECT_EQ(buttonFace(0), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(caption(ctl::Label10), "PAINTING");
    EXPECT_EQ(caption(ctl::Label11), "00000012");
    EXPECT_EQ(widgetAs<QLabel>(ctl::Label11)->text(), QStringLiteral("00000012"));
    EXPECT_EQ(settings.read(keys::ActivityNum), "00000012");
    EXPECT_EQ(caption(ctl::Label1), "") << "the keypad entry is emptied after a start";
    EXPECT_TRUE(host.timer2().isActive()) << "the panel hides itself five seconds later";

    std::vector<std::string> lines = dataLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 64u);
    EXPECT_EQ(lines[0].substr(0, 2), "01");
    EXPECT_EQ(lines[0].substr(14, 2), "00") << "a start";
    EXPECT_EQ(lines[0].substr(16, 16), "0000000000004711");
    EXPECT_EQ(lines[0].substr(32, 16), "0000000000000001") << "the card code of JOB00001";
    EXPECT_EQ(lines[0].substr(48, 16), "0000000000000012");

    QTest::mouseClick(widget(ctl::Command2), Qt::LeftButton);
    EXPECT_EQ(buttonFace(1), QApplication::palette().color(QPalette::Button));
    lines = dataLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(14, 2), "01") << "a stop";
    EXPECT_EQ(lines[1].substr(32), std::string(32, '0'));

    QTest::mouseClick(widget(ctl::Command2), Qt::LeftButton);
    EXPECT_EQ(dataLines().size(), 3u) << "every STOP ALL writes";

    // The panel as the worker sees it with two jobs assigned, one of them running.
    pressJob(0, choose(QStringLiteral("ASSEMBLY  :  00000011")));
    for (int tick = 0; tick < 3; ++tick)
        form.Timer1_Timer();
    saveScreenshot(window.get(), QStringLiteral("panel.png"));
}

TEST_F(JobFlowTest, PressOnAFreeButtonIsRefusedAndLeadsToTheJobList)
{
    int asked = 0;
    answerMessageBox(
        [&asked](QMessageBox* box) {
            ++asked;
            EXPECT_EQ(box->text(), QStringLiteral("Please select job for this button first"));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("NO JOB, CAN'T START"));
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        },
        QMessageBox::Ok);
    host.setTimer2Enabled(true);
    QTest::mouseClick(widget(ctl::Command6(3)), Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(dataLines().empty());
    EXPECT_FALSE(host.timer2().isActive());
    const QWidget* focus = window->focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus == widget(ctl::Combo1) || focus->parentWidget() == widget(ctl::Combo1)) << "the job list";
}

TEST_F(JobFlowTest, ActivityDialogKeepsItsListUntilClosedWithItsCloseBox)
{
    assign(QStringLiteral("WS      JOB00001"));
    form.model().setCaption(ctl::Label10, "OLDCODE ");
    form.model().setCaption(ctl::Label11, "00000099");

    QRect dialogPlace;
    pressJob(0, [&dialogPlace, this](QWidget* dialog) {
        dialogPlace = dialog->frameGeometry();
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("Combo1"));
        EXPECT_EQ(combo->currentText(), QStringLiteral("OLDCODE   :  00000099")) << "the current activity";
        EXPECT_EQ(combo->count(), 2);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("SELECT ACTIVITY"));
        EXPECT_EQ(dialog->size(), QSize(160, 58)) << "2400 x 870 twips";
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "a fixed frame";
        EXPECT_EQ(combo->geometry(), QRect(12, 16, 133, 21)) << "180, 240, 1995 x 315 twips";
        EXPECT_TRUE(combo->isEditable());
        const Qt::WindowFlags flags = dialog->windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint) || flags.testFlag(Qt::WindowMaximizeButtonHint));
        dialog->close(); // the close box
    });
    EXPECT_LE((dialogPlace.center() - window->frameGeometry().center()).manhattanLength(), 1) << "centred on the panel";
    EXPECT_EQ(caption(ctl::Label11), "00000099") << "closed without a pick: nothing changes";
    ASSERT_EQ(dataLines().size(), 1u);
    EXPECT_EQ(dataLines()[0].substr(48), "0000000000000099") << "the record carries the activity shown";

    // Closed with its close box, the dialog reads its list afresh at the next showing.
    writeFile(store() + "/activities.txt",
        "ASSEMBLY  first   00000011x\r\nPAINTING  second  00000012x\r\n"
        "SANDING   third   00000013x\r\n");
    pressJob(0, choose(QStringLiteral("SANDING   :  00000013")));
    EXPECT_EQ(caption(ctl::Label11), "00000013");

    // Hidden after a pick, it keeps the list it has.
    writeFile(store() + "/activities.txt", "ONLY      one     00000001x\r\n");
    int count = 0;
    pressJob(0, [&count](QWidget* dialog) {
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("Combo1"));
        count = combo->count();
        saveScreenshot(dialog, QStringLiteral("activity-dialog.png"));
        pickFromList(combo, combo->itemText(0));
    });
    EXPECT_EQ(count, 3);
}

} // namespace
} // namespace shiftloom::test
