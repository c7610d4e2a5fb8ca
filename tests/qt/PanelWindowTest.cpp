// SPDX-License-Identifier: MIT
// The panel's widgets show the model, and the worker's keys, clicks and drags reach the
// operations they stand for; whole presses with the activity dialog answered as a worker would.
#include "QtFixture.h"

#include "timing/RecordLayout.h"

#include "panel/ControlNames.h"
#include "panel/TimeText.h"
#include "qt/ActivityDialog.h"
#include "qt/DesignLook.h"
#include "qt/PickComboBox.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

namespace shiftloom::test {
namespace {

constexpr ControlRef kJobList{PanelControl::JobList};
constexpr ControlRef kCardNumber{PanelControl::CardNumber};
constexpr ControlRef kKeypadEcho{PanelControl::KeypadEcho};
constexpr ControlRef kDragStrip{PanelControl::DragStrip};
const QColor kGreen(0, 192, 0);

/** The control whose widget has the focus (the job list for its text field). */
QString focusedControl()
{
    QWidget* focus = QApplication::focusWidget();
    while (focus && focus->objectName().isEmpty())
        focus = focus->parentWidget();
    if (focus && qobject_cast<QComboBox*>(focus->parentWidget()))
        focus = focus->parentWidget();
    return focus ? focus->objectName() : QString();
}

class PanelWindowTest : public QtFixture
{
protected:
    void SetUp() override
    {
        makeStore();
        loadAndShow();
    }

    QString text(ControlRef ref) const
    {
        if (auto* box = qobject_cast<QLineEdit*>(widget(ref)))
            return box->text();
        if (auto* button = qobject_cast<QPushButton*>(widget(ref)))
            return button->text();
        return widgetAs<QLabel>(ref)->text();
    }

    /** Assigns the job whose job list line starts with `line` to the top button. */
    void assign(const QString& line)
    {
        auto* jobs = widgetAs<PickComboBox>(kJobList);
        for (int i = 0; i < jobs->count(); ++i) {
            if (jobs->itemText(i).startsWith(line))
                return pickFromList(jobs, jobs->itemText(i));
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
        QTest::mouseClick(widget(jobButton(i)), Qt::LeftButton);
        EXPECT_TRUE(shown) << "the activity dialog was shown";
    }

    static std::function<void(QWidget*)> choose(const QString& item)
    {
        return [item](QWidget* dialog) { pickFromList(dialog->findChild<QComboBox*>(QStringLiteral("Combo1")), item); };
    }

    QColor buttonFace(int i) const { return widget(jobButton(i))->grab().toImage().pixelColor(3, 2); }
};

TEST_F(PanelWindowTest, AThinFixedFrameWithoutTitleBarAndFocusWalkingTheLayoutsOrder)
{
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::FramelessWindowHint)) << "the window manager draws a thin border";
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->size(), QSize(192, 395));

    // The hidden IN key and STOP ALL, the keypad, the job buttons with the job list after the
    // fifth, the time boxes, then the close button, the card box, the total and the idle colour.
    std::vector<ControlRef> walk = {{PanelControl::InKey}, {PanelControl::StopAll}, kKeypadEcho};
    for (int i = 0; i < 10; ++i)
        walk.push_back(digitKey(i));
    walk.insert(walk.end(), {{PanelControl::HashKey}, {PanelControl::ClearKey}});
    for (int i = 0; i < 10; ++i) {
        walk.push_back(jobButton(i));
        if (i == 4)
            walk.push_back(kJobList);
    }
    for (int i = 0; i < 10; ++i)
        walk.push_back(elapsedBox(i));
    walk.insert(walk.end(),
        {{PanelControl::CloseButton}, kCardNumber, {PanelControl::Total}, {PanelControl::IdleColourHolder}});
    QStringList order;
    for (const ControlRef ref : walk)
        order.push_back(QString::fromStdString(objectNameOf(ref)));
    ASSERT_EQ(focusedControl(), order.front());
    for (qsizetype i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(focusedControl(), order[i % order.size()]) << "after " << i << " tabs";
    }
}

TEST_F(PanelWindowTest, TheHiddenKeypadIsKeyedWithSpaceAndTypingNeverReachesTheEcho)
{
    auto press = [this](ControlRef key) {
        widget(key)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(widget(key), Qt::Key_Space);
    };
    press(digitKey(4));
    press(digitKey(7));
    EXPECT_EQ(panel.keypadEntry(), "47");
    EXPECT_EQ(text({PanelControl::KeypadEntry}), QStringLiteral("47"));
    auto* echo = widgetAs<QLineEdit>(kKeypadEcho);
    echo->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(echo, "123");
    QTest::keyClick(echo, Qt::Key_Backspace);
    EXPECT_EQ(echo->text(), QStringLiteral("**"));
    EXPECT_EQ(panel.keypadEntry(), "47");
    press({PanelControl::ClearKey});
    EXPECT_EQ(echo->text(), QString());
}

TEST_F(PanelWindowTest, StartingAJobAndStoppingAllShowAndRecordEachPress)
{
    assign(QStringLiteral("WS      JOB00001"));
    assign(QStringLiteral("WS      JOB00002")); // JOB00001 moves to the second button
    EXPECT_EQ(text(jobButton(1)), QStringLiteral("WS      JOB00001"));
    panel.setCardNumber("4711");
    widgetAs<QPushButton>(digitKey(1))->click();

    pressJob(1, [this](QWidget* dialog) {
        EXPECT_EQ(buttonFace(1), kGreen) << "running while the worker chooses";
        choose(QStringLiteral("PAINTING  :  00000012"))(dialog);
    });
    EXPECT_EQ(buttonFace(1), kGreen);
    EXPECT_EQ(buttonFace(0), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(text({PanelControl::ActivityNumber}), QStringLiteral("00000012"));
    EXPECT_EQ(text({PanelControl::ActivityCode}), QStringLiteral("PAINTING"));
    EXPECT_EQ(text(kKeypadEcho), QString()) << "the keypad entry is emptied after a start";
    EXPECT_TRUE(frontEnd.autoHideTimer().isActive()) << "the panel hides itself five seconds later";
    ASSERT_EQ(dataLines().size(), 1u);
    EXPECT_EQ(record::event.of(dataLines()[0]), record::StartEvent);
    EXPECT_EQ(record::card.of(dataLines()[0]), "0000000000004711");
    EXPECT_EQ(record::jobCard.of(dataLines()[0]), "0000000000000001");
    EXPECT_EQ(record::activity.of(dataLines()[0]), "0000000000000012");

    frontEnd.tick();
    EXPECT_EQ(text(elapsedBox(1)), QStringLiteral("00:00:01"));
    EXPECT_EQ(text({PanelControl::Total}), QStringLiteral("00:00:01"));

    QTest::mouseClick(widget({PanelControl::StopAll}), Qt::LeftButton);
    EXPECT_EQ(buttonFace(1), QApplication::palette().color(QPalette::Button));
    ASSERT_EQ(dataLines().size(), 2u);
    EXPECT_EQ(record::event.of(dataLines()[1]), record::StopEvent) << "a stop";

    panel.autoHide();
    EXPECT_FALSE(window->isVisible());
    frontEnd.tick();
    window->showFromTray();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(text({PanelControl::Clock}), QString::fromStdString(timeText(panel.clockDisplay())))
        << "what changed while hidden shows when the panel comes back";

    pressJob(0, choose(QStringLiteral("ASSEMBLY  :  00000011")));
    saveScreenshot(window.get(), QStringLiteral("panel.png"));
}

TEST_F(PanelWindowTest, APressOnAFreeButtonIsRefusedAndLeadsToTheJobList)
{
    int asked = 0;
    answerMessageBox(
        [&asked](QMessageBox* box) {
            ++asked;
            EXPECT_EQ(box->text(), QStringLiteral("Please select job for this button first"));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("NO JOB, CAN'T START"));
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
        },
        QMessageBox::Ok);
    QTest::mouseClick(widget(jobButton(3)), Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(dataLines().empty());
    const QWidget* focus = window->focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus == widget(kJobList) || focus->parentWidget() == widget(kJobList));
}

TEST_F(PanelWindowTest, TheActivityDialogKeepsItsListUntilClosedWithItsCloseBox)
{
    assign(QStringLiteral("WS      JOB00001"));
    QRect dialogPlace;
    pressJob(0, [&dialogPlace](QWidget* dialog) {
        dialogPlace = dialog->frameGeometry();
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("Combo1"));
        EXPECT_EQ(combo->currentText(), QStringLiteral("  :  ")) << "the current activity, none yet";
        EXPECT_EQ(combo->count(), 2);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("SELECT ACTIVITY"));
        dialog->close(); // the close box
    });
    EXPECT_LE((dialogPlace.center() - window->frameGeometry().center()).manhattanLength(), 1) << "centred on the panel";
    ASSERT_EQ(dataLines().size(), 1u) << "closed without a pick, the start goes on";

    writeFile(store() + "/activities.txt", "SANDING   third   00000013x\r\n");
    pressJob(0, choose(QStringLiteral("SANDING   :  00000013")));
    EXPECT_EQ(panel.activity().number, "00000013") << "read afresh after the close box";

    writeFile(store() + "/activities.txt", "ONLY      one     00000001x\r\nTWO       two     00000002x\r\n");
    int count = 0;
    pressJob(0, [&count](QWidget* dialog) {
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("Combo1"));
        count = combo->count();
        EXPECT_EQ(combo->currentText(), QStringLiteral("SANDING   :  00000013"));
        saveScreenshot(dialog, QStringLiteral("activity-dialog.png"));
        pickFromList(combo, combo->itemText(0));
    });
    EXPECT_EQ(count, 1) << "hidden after a pick, it keeps its list";
}

TEST_F(PanelWindowTest, WorkerEditsReachThePanelAndStayAsTypedUntilTheValueChanges)
{
    auto* card = widgetAs<QLineEdit>(kCardNumber);
    card->setFocus(Qt::MouseFocusReason);
    card->setText(QStringLiteral("1234"));
    card->setCursorPosition(2);
    QTest::keyClicks(card, "56");
    EXPECT_EQ(panel.cardNumber(), "125634");
    EXPECT_EQ(card->cursorPosition(), 4);
    EXPECT_EQ(settings.read(keys::AutoCode), "") << "typing alone stores nothing";
    QTest::keyClick(card, Qt::Key_Tab);
    EXPECT_EQ(settings.read(keys::AutoCode), "125634") << "leaving the box stores the card number";

    auto* time = widgetAs<QLineEdit>(elapsedBox(3));
    time->setFocus(Qt::MouseFocusReason);
    time->selectAll();
    QTest::keyClicks(time, "abc");
    frontEnd.tick();
    EXPECT_EQ(time->text(), QStringLiteral("abc")) << "a box whose slot does not run keeps the worker's text";
    time->selectAll();
    QTest::keyClicks(time, "00:02:00");
    frontEnd.tick();
    EXPECT_EQ(text({PanelControl::Total}), QStringLiteral("00:02:00"));
}

TEST_F(PanelWindowTest, TypingIntoTheJobListPicksNothingWhileChoosingAnItemAssignsIt)
{
    auto* jobs = widgetAs<PickComboBox>(kJobList);
    ASSERT_EQ(jobs->count(), 4);
    EXPECT_EQ(jobs->itemText(0), QStringLiteral("[settings]")) << "sorted: '[' before letters";
    const QString job2 = jobs->itemText(2);
    jobs->setFocus(Qt::MouseFocusReason);
    jobs->lineEdit()->selectAll();
    QTest::keyClicks(jobs->lineEdit(), job2);
    QTest::keyClick(jobs->lineEdit(), Qt::Key_Return);
    QTest::keyClick(jobs->lineEdit(), Qt::Key_Tab);
    EXPECT_TRUE(panel.slot(0).isFree()) << "typed text equal to an item is no pick";
    pickFromList(jobs, job2);
    EXPECT_EQ(panel.slot(0).job, "WS      JOB00002");
    EXPECT_EQ(jobs->currentText(), QStringLiteral("Add Job"));
}

TEST_F(PanelWindowTest, TheStripDragsTheWindowAndTheBackgroundAndTitleDoWhatTheyShould)
{
    QWidget* strip = widget(kDragStrip);
    const QPoint start = window->pos();
    auto send = [strip](QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(local), QPointF(strip->mapToGlobal(local)), button, held, Qt::NoModifier);
        QApplication::sendEvent(strip, &event);
    };
    send(QEvent::MouseButtonPress, {20, 13}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(text({PanelControl::DragOriginX}), QStringLiteral("300"));
    send(QEvent::MouseMove, {30, 19}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(window->pos(), start + QPoint(10, 6));
    send(QEvent::MouseButtonRelease, {30, 19}, Qt::RightButton, Qt::NoButton);
    send(QEvent::MouseMove, {60, 20}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window->pos(), start + QPoint(10, 6)) << "no button held: no move";

    int opened = 0;
    frontEnd.setAboutBoxOpener([&opened] { ++opened; });
    QTest::mouseClick(widget(titleWord(0)), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(widget(titleWord(1)), Qt::LeftButton, {}, QPoint(90, 5));
    EXPECT_EQ(opened, 2);

    int asked = 0;
    answerMessageBox([&asked](QMessageBox*) { ++asked; }, QMessageBox::No);
    QTest::mouseDClick(widget({PanelControl::ActivityCode}), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(3, 50));
    EXPECT_EQ(asked, 1) << "only the bare background asks to end the program";
    EXPECT_TRUE(window->isVisible()) << "No: the program goes on";
}

} // namespace
} // namespace shiftloom::test
