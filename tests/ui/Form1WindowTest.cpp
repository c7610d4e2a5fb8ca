// SPDX-License-Identifier: MIT
// The panel's widgets and the model agree, and the worker's keys, clicks and drags reach the
// handlers they belong to.
#include "PanelFixture.h"

#include "ui/qt/DesignLook.h"
#include "ui/qt/PickComboBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <random>

namespace shiftloom::test {
namespace {

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

// The design's focus order: the hidden IN key and STOP ALL, the keypad, the job buttons with the
// job list after the fifth, the time boxes, then the close button, the card box and the total.
const QStringList kFocusOrder = QStringLiteral(
    "Command1 Command2 Text1 Command3_0 Command3_1 Command3_2 Command3_3 Command3_4 Command3_5 Command3_6 "
    "Command3_7 Command3_8 Command3_9 Command4 Command5 Command6_0 Command6_1 Command6_2 Command6_3 Command6_4 "
    "Combo1 Command6_5 Command6_6 Command6_7 Command6_8 Command6_9 Text2_0 Text2_1 Text2_2 Text2_3 Text2_4 "
    "Text2_5 Text2_6 Text2_7 Text2_8 Text2_9 Command7 Text3 Text4 Command8")
                                    .split(QLatin1Char(' '));

class Form1WindowTest : public PanelFixture
{
protected:
    void SetUp() override
    {
        makeStore();
        loadAndShow();
    }
};

TEST_F(Form1WindowTest, FocusStartsOnHiddenInKeyAndTabWalksTheDesignOrder)
{
    const QStringList& order = kFocusOrder;
    ASSERT_EQ(focusedControl(), order.front());
    for (qsizetype i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(focusedControl(), order[i % order.size()]) << "after " << i << " tabs";
    }
}

TEST_F(Form1WindowTest, HiddenKeypadIsKeyedWithSpaceAndTypingNeverReachesTheEcho)
{
    auto press = [this](ControlRef key) {
        widget(key)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(widget(key), Qt::Key_Space);
    };
    press(ctl::Command3(4));
    press(ctl::Command3(7));
    EXPECT_EQ(caption(ctl::Label1), "47");
    EXPECT_EQ(widgetAs<QLineEdit>(ctl::Text1)->text(), QStringLiteral("**"));

    auto* echo = widgetAs<QLineEdit>(ctl::Text1);
    echo->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(echo, "123");
    QTest::keyClick(echo, Qt::Key_Backspace);
    QTest::keyClick(echo, Qt::Key_Delete);
    EXPECT_EQ(echo->text(), QStringLiteral("**"));
    EXPECT_EQ(caption(ctl::Text1), "**");
    EXPECT_EQ(caption(ctl::Label1), "47");
    QTest::keyClick(echo, Qt::Key_Tab);
    EXPECT_EQ(focusedControl(), QStringLiteral("Command3_0")) << "Tab still leaves the echo";

    press(ctl::Command5);
    EXPECT_EQ(caption(ctl::Label1), "");
    EXPECT_EQ(echo->text(), QString());
}

TEST_F(Form1WindowTest, WidgetsFollowEveryChangeOfTheModel)
{
    Form1Model& model = form.model();
    std::mt19937 random(20261206);
    const auto controls = form1Controls();
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    const std::vector<std::string> texts = {"", "A&B", "<b>not bold</b>", "caf\xE9", "00:12:34", "[empty]", "x"};
    const std::vector<Colour> colours = {RunningColour, IdleColour, 0x000000FFu, 0x00123456u};

    for (int step = 0; step < 400; ++step) {
        const ControlDesign& design = controls[pick(controls.size())];
        if (design.type == ControlType::TrayControl)
            continue;
        const ControlRef ref = design.ref;
        switch (pick(3)) {
        case 0:
            model.setCaption(ref, texts[pick(texts.size())]);
            break;
        case 1:
            model.setToolTip(ref, texts[pick(texts.size())]);
            break;
        default:
            if (design.type == ControlType::Button && design.graphical)
                model.setBackColour(ref, colours[pick(colours.size())]);
            break;
        }
        QWidget* shown = widget(ref);
        const QString expected = toQString(model.caption(ref));
        if (auto* label = qobject_cast<QLabel*>(shown)) {
            ASSERT_EQ(label->text(), expected);
        } else if (auto* button = qobject_cast<QPushButton*>(shown)) {
            ASSERT_EQ(button->text(), buttonText(model.caption(ref)));
        } else if (auto* box = qobject_cast<QLineEdit*>(shown)) {
            ASSERT_EQ(box->text(), expected);
        } else if (auto* combo = qobject_cast<QComboBox*>(shown)) {
            ASSERT_EQ(combo->currentText(), expected);
        }
        ASSERT_EQ(shown->toolTip(), plainToolTip(model.toolTip(ref)));
        if (design.type == ControlType::Button && design.graphical) {
            const QImage face = shown->grab().toImage();
            const Colour back = model.backColour(ref);
            const QColor want = back == IdleColour ? QApplication::palette().color(QPalette::Button)
                                                   : QColor(redOf(back), greenOf(back), blueOf(back));
            ASSERT_EQ(face.pixelColor(3, 2), want) << design.ref.index;
        }
    }
}

TEST_F(Form1WindowTest, CaptionsChangedWhileHiddenInTheTrayShowWhenThePanelIsShownAgain)
{
    Form1Model& model = form.model();
    auto* clockDisplay = widgetAs<QLabel>(ctl::Label2);
    const QString before = clockDisplay->text();
    window->hide();
    int n = 0;
    for (const ControlDesign& design : form1Controls()) {
        if (design.type != ControlType::TrayControl)
            model.setCaption(design.ref, "hidden " + std::to_string(n++));
    }
    // A panel hidden in the tray lays out no text: its clock display waits for the showing.
    EXPECT_EQ(clockDisplay->text(), before);

    window->show();
    for (const ControlDesign& design : form1Controls()) {
        QWidget* shown = widget(design.ref);
        const QString expected = toQString(model.caption(design.ref));
        if (auto* label = qobject_cast<QLabel*>(shown)) {
            EXPECT_EQ(label->text(), expected);
        } else if (auto* button = qobject_cast<QPushButton*>(shown)) {
            EXPECT_EQ(button->text(), buttonText(model.caption(design.ref)));
        } else if (auto* box = qobject_cast<QLineEdit*>(shown)) {
            EXPECT_EQ(box->text(), expected);
        } else if (auto* combo = qobject_cast<QComboBox*>(shown)) {
            EXPECT_EQ(combo->currentText(), expected);
        }
    }
}

TEST_F(Form1WindowTest, WorkerEditsReachTheModelWithoutMovingTheCursor)
{
    auto* card = widgetAs<QLineEdit>(ctl::Text3);
    card->setFocus(Qt::MouseFocusReason);
    card->setText(QStringLiteral("1234"));
    card->setCursorPosition(2);
    QTest::keyClicks(card, "56");
    EXPECT_EQ(caption(ctl::Text3), "125634");
    EXPECT_EQ(card->cursorPosition(), 4);
    EXPECT_EQ(settings.read(keys::AutoCode), "") << "typing alone stores nothing";
    QTest::keyClick(card, Qt::Key_Tab);
    EXPECT_EQ(settings.read(keys::AutoCode), "125634") << "leaving the box stores the card number";

    auto* time = widgetAs<QLineEdit>(ctl::Text2(3));
    time->setFocus(Qt::MouseFocusReason);
    time->setCursorPosition(static_cast<int>(time->text().size()));
    QTest::keyClick(time, Qt::Key_Backspace);
    EXPECT_EQ(caption(ctl::Text2(3)), "00:00:0");
    auto* total = widgetAs<QLineEdit>(ctl::Text4);
    total->setFocus(Qt::MouseFocusReason);
    total->selectAll();
    QTest::keyClicks(total, "9");
    EXPECT_EQ(caption(ctl::Text4), "9");
}

TEST_F(Form1WindowTest, TypingIntoTheJobListPicksNothingWhileChoosingAnItemAssignsIt)
{
    auto* jobs = widgetAs<PickComboBox>(ctl::Combo1);
    ASSERT_EQ(jobs->count(), 4);
    EXPECT_EQ(jobs->itemText(0), QStringLiteral("[settings]")) << "sorted: '[' before letters";
    const QString job2 = jobs->itemText(2);
    ASSERT_TRUE(job2.startsWith(QStringLiteral("WS      JOB00002")));

    jobs->setFocus(Qt::MouseFocusReason);
    jobs->lineEdit()->selectAll();
    QTest::keyClicks(jobs->lineEdit(), job2);
    EXPECT_EQ(caption(ctl::Combo1), fromQString(job2));
    QTest::keyClick(jobs->lineEdit(), Qt::Key_Return);
    QTest::keyClick(jobs->lineEdit(), Qt::Key_Tab);
    EXPECT_EQ(caption(ctl::Command6(0)), "[empty]") << "typed text equal to an item is no pick";

    pickFromList(jobs, job2);
    EXPECT_EQ(caption(ctl::Command6(0)), "WS      JOB00002");
    EXPECT_EQ(caption(ctl::Combo1), "Add Job");
    EXPECT_EQ(jobs->currentText(), QStringLiteral("Add Job"));
    EXPECT_EQ(settings.read(keys::button(0)), "WS      JOB00002");
}

TEST_F(Form1WindowTest, TenThousandJobsFillTheListInOneStepInSortedOrder)
{
    TextList items;
    std::mt19937 random(7);
    for (int i = 0; i < 10000; ++i) {
        std::string line = std::string("P").append(std::to_string(random() % 100000));
        line.resize(85, ' ');
        items.push_back(line);
    }
    items.push_back("[settings]");
    // The best of a few fills: the figure is the fill's own cost, not that of a busy machine.
    double best = 1e9;
    for (int fill = 0; fill < 5; ++fill) {
        QElapsedTimer stopwatch;
        stopwatch.start();
        form.model().setComboItems(items);
        best = std::min(best, static_cast<double>(stopwatch.nsecsElapsed()) / 1e6);
    }
    std::printf("[ measure  ] 10,001 job list items filled in %.2f ms\n", best);
    RecordProperty("fill_ms", std::to_string(best));

    auto* jobs = widgetAs<PickComboBox>(ctl::Combo1);
    const std::vector<std::string> sorted = sortedForDisplay(items);
    ASSERT_EQ(jobs->count(), static_cast<int>(sorted.size()));
    for (int i : {0, 1, 5000, 10000})
        EXPECT_EQ(fromQString(jobs->itemText(i)), sorted[static_cast<std::size_t>(i)]);
    EXPECT_EQ(jobs->currentText(), QStringLiteral("Add Job")) << "the fill leaves the text alone";
}

TEST_F(Form1WindowTest, DraggingTheStripMovesTheWindowByThePointersDistance)
{
    QWidget* strip = widget(ctl::Label6);
    const QPoint start = window->pos();
    auto send = [strip](QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(local), QPointF(strip->mapToGlobal(local)), button, held, Qt::NoModifier);
        QApplication::sendEvent(strip, &event);
    };
    send(QEvent::MouseButtonPress, {20, 13}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(caption(ctl::Label7), "Y");
    EXPECT_EQ(caption(ctl::Label8), "300");
    EXPECT_EQ(caption(ctl::Label9), "195");
    send(QEvent::MouseMove, {30, 19}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(window->pos(), start + QPoint(10, 6));
    // The strip moved with the window: the pointer, still, lies at the pressed point again.
    send(QEvent::MouseMove, {20, 13}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(window->pos(), start + QPoint(10, 6));
    send(QEvent::MouseButtonRelease, {20, 13}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(caption(ctl::Label7), "N");
    send(QEvent::MouseMove, {60, 20}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window->pos(), start + QPoint(10, 6)) << "no button held: no move";
}

TEST_F(Form1WindowTest, DoubleClickOnTheBareBackgroundOnlyAsksToEndTheProgram)
{
    int asked = 0;
    answerMessageBox(
        [&asked](QMessageBox* box) {
            ++asked;
            EXPECT_EQ(box->text(), QStringLiteral("Are you sure? WARNING this will stop all timing."));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Exit Shift-Loom?"));
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
        },
        QMessageBox::No);
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(3, 50));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window->isVisible()) << "No: the program goes on";

    // On a label, on the job list's arrow and on a button a double-click is not the window's.
    QTest::mouseDClick(widget(ctl::Label10), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(widget(ctl::Combo1), Qt::LeftButton, {}, QPoint(120, 10));
    QTest::qWait(50);
    if (QApplication::activePopupWidget())
        QApplication::activePopupWidget()->close();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(asked, 1);
}

TEST_F(Form1WindowTest, ClickOnEitherTitleWordOpensTheAboutBox)
{
    int opened = 0;
    host.setAboutBoxOpener([&opened] { ++opened; });
    QTest::mouseClick(widget(ctl::Label4(0)), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(widget(ctl::Label4(1)), Qt::LeftButton, {}, QPoint(90, 5));
    EXPECT_EQ(opened, 2);
}

} // namespace
} // namespace shiftloom::test
