// SPDX-License-Identifier: MIT
// The panel's widgets show the model, and the worker's keys, clicks and drags reach the
// operations they stand for; whole presses with the activity dialog answered as a worker would.
#include "QtFixture.h"

#include "panel/ControlNames.h"
#include "panel/TimeText.h"
#include "qt/PickComboBox.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <algorithm>

namespace shiftloom::test {
namespace {

constexpr ControlRef kJobList{PanelControl::JobList};
const QColor kGreen(0, 192, 0);

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
        return widgetAs<QLabel>(ref)->text();
    }

    /** Presses job button `i`; the activity dialog is answered by `answer` when it shows. */
    void pressJob(int i, std::function<void(QComboBox*)> answer)
    {
        bool shown = false;
        whenShown(nameOf(ProgramWindow::ActivityDialog), [&shown, answer = std::move(answer)](QWidget* dialog) {
            shown = true;
            answer(dialogControl<QComboBox>(dialog, DialogControl::ActivityChoice));
        });
        QTest::mouseClick(widget(jobButton(i)), Qt::LeftButton);
        EXPECT_TRUE(shown) << "the activity dialog was shown";
    }

    QColor buttonFace(int i) const { return widget(jobButton(i))->grab().toImage().pixelColor(3, 2); }

    /** What a screen reader reads for a widget: its name, and after a "|" its description. */
    static std::string told(QWidget* widget)
    {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        return (face->text(QAccessible::Name) + "|" + face->text(QAccessible::Description)).toStdString();
    }
};

TEST_F(PanelWindowTest, AThinFixedFrameWithoutTitleBarAndFocusWalkingTheLayoutsOrder)
{
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::FramelessWindowHint)) << "the window manager draws a thin border";
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint) && !flags.testFlag(Qt::WindowTitleHint));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->size(), QSize(192, 395));

    // Tab walks every control that takes the focus in the layout's order, and round again.
    std::vector<const ControlDesign*> order;
    for (const ControlDesign& design : panelControls())
        order.push_back(design.tabIndex >= 0 ? &design : nullptr);
    std::erase(order, nullptr);
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    QStringList walked;
    QStringList expected;
    for (std::size_t i = 0; i <= order.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        while (focus && focus->objectName().isEmpty())
            focus = focus->parentWidget(); // the job list's text field
        walked << (focus ? focus->objectName() : QString());
        expected << QString::fromStdString(objectNameOf(order[i % order.size()]->ref));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(walked.join(' '), expected.join(' '));
}

TEST_F(PanelWindowTest, TheKeypadTheActivityDialogAStartAndStopAllShowOnThePanel)
{
    pickFromList(widgetAs<PickComboBox>(kJobList), QString::fromStdString(std::string(panel.jobList()[0])));
    EXPECT_EQ(widgetAs<QPushButton>(jobButton(0))->text(), QStringLiteral("WS      JOB00001"));
    const std::string description = QString::fromStdString(panel.slot(0).description).trimmed().toStdString();
    EXPECT_EQ(told(widget(jobButton(0))), "Job 1: WS      JOB00001|" + description + ". Stopped, timed 00:00:00");
    for (const ControlRef key : {digitKey(4), digitKey(7)}) {
        widget(key)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(widget(key), Qt::Key_Space); // the hidden keypad's keys
    }
    auto* echo = widgetAs<QLineEdit>({PanelControl::KeypadEcho});
    echo->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(echo, "123");
    QTest::keyClick(echo, Qt::Key_Backspace);
    EXPECT_EQ(echo->text(), QStringLiteral("**")) << "typing never reaches the echo";
    EXPECT_EQ(panel.keypadEntry(), "47");
    pressJob(0, [this](QComboBox* activities) {
        QWidget* dialog = activities->window();
        EXPECT_LE((dialog->frameGeometry().center() - window->frameGeometry().center()).manhattanLength(), 1);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("SELECT ACTIVITY"));
        EXPECT_EQ(activities->currentText(), QStringLiteral("  :  ")) << "the current activity, none yet";
        EXPECT_EQ(buttonFace(0), kGreen) << "running while the worker chooses";
        const auto labels = QAccessible::queryAccessibleInterface(activities)->relations(QAccessible::Label);
        EXPECT_EQ(
            labels.size() == 1 ? labels[0].first->text(QAccessible::Name) : QString(), QStringLiteral("Activity"));
        dialog->close(); // the close box
    });
    EXPECT_EQ(dataLines().size(), 1u) << "closed without a pick, the start goes on";
    EXPECT_EQ(buttonFace(1), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(echo->text(), QString()) << "the keypad entry is emptied after a start";
    EXPECT_TRUE(frontEnd.autoHideTimer().isActive()) << "the panel hides itself five seconds later";

    writeFile(store() + "/activities.txt", "SANDING   third   00000013x\r\n");
    pressJob(0, [](QComboBox* activities) { pickFromList(activities, QStringLiteral("SANDING   :  00000013")); });
    EXPECT_EQ(
        (text({PanelControl::ActivityNumber}) + text({PanelControl::ActivityCode})).toStdString(), "00000013SANDING ")
        << "read afresh after the close box";
    writeFile(store() + "/activities.txt", "ONLY      one     00000001x\r\nTWO       two     00000002x\r\n");
    pressJob(0, [](QComboBox* activities) {
        EXPECT_EQ(activities->count(), 1) << "hidden after a pick, it keeps its list";
        pickFromList(activities, activities->itemText(0));
    });

    frontEnd.tick();
    EXPECT_EQ(text(elapsedBox(0)) + text({PanelControl::Total}), QStringLiteral("00:00:0100:00:01"));
    EXPECT_EQ(
        told(widget(jobButton(0))), "Job 1: WS      JOB00001, running|" + description + ". Running, timed 00:00:01");
    EXPECT_EQ(
        told(widget({PanelControl::Clock})), "Clock " + text({PanelControl::Clock}).toStdString() + "|Time of day");
    QTest::mouseClick(widget({PanelControl::StopAll}), Qt::LeftButton);
    EXPECT_EQ(buttonFace(0), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(dataLines().size(), 4u);

    panel.autoHide();
    EXPECT_FALSE(window->isVisible());
    frontEnd.tick();
    window->showFromTray();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(text({PanelControl::Clock}), QString::fromStdString(timeText(panel.clockDisplay())))
        << "what changed while hidden shows when the panel comes back";
}

TEST_F(PanelWindowTest, AMessageShowsItsTextTitleAndIconAndARefusedPressFocusesTheJobList)
{
    QString said;
    answerMessageBox(
        [&said](QMessageBox* box) {
            said = box->windowTitle() + "|" + box->text();
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
        },
        QMessageBox::Ok);
    QTest::mouseClick(widget(jobButton(3)), Qt::LeftButton);
    EXPECT_EQ(said, QStringLiteral("NO JOB, CAN'T START|Please select job for this button first"));
    ASSERT_NE(window->focusWidget(), nullptr);
    EXPECT_TRUE(window->focusWidget() == widget(kJobList) || window->focusWidget()->parentWidget() == widget(kJobList));
}

TEST_F(PanelWindowTest, TheWorkersEditsReachThePanelAndOnlyAPickFromTheJobListAssigns)
{
    auto* card = widgetAs<QLineEdit>({PanelControl::CardNumber});
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
    QTest::keyClicks(time, "00:02:00");
    frontEnd.tick();
    EXPECT_EQ(text({PanelControl::Total}), QStringLiteral("00:02:00"));

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
    QWidget* strip = widget({PanelControl::DragStrip});
    const QPoint start = window->pos();
    auto send = [strip](QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(local), QPointF(strip->mapToGlobal(local)), button, held, Qt::NoModifier);
        QApplication::sendEvent(strip, &event);
    };
    send(QEvent::MouseButtonPress, {20, 13}, Qt::RightButton, Qt::RightButton);
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
