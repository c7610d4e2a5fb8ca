// SPDX-License-Identifier: MIT
// The ends of a run that are not the worker's: the window system closing the panel, the
// session ending, a signal. Each runs the unload step once.
#include "PanelFixture.h"

#include "ui/qt/TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>

namespace shiftloom::test {
namespace {

TEST(TerminationSignals, EachSignalAskingToEndArrivesOnTheEventLoop)
{
    ensureApplication();
    TerminationSignals signalsToEnd;
    QSignalSpy received(&signalsToEnd, &TerminationSignals::received);
    for (int signalNumber : {SIGTERM, SIGHUP, SIGINT})
        ASSERT_EQ(std::raise(signalNumber), 0);
    QTRY_COMPARE(received.count(), 3);
    EXPECT_EQ(received.at(0).at(0).toInt(), SIGTERM);
    EXPECT_EQ(received.at(2).at(0).toInt(), SIGINT);
}

TEST_F(PanelFixture, CloseSignalsAndSessionEndUnloadOnceWithOneStopForARunningJob)
{
    makeStore();
    loadAndShow();
    form.model().setBackColour(ctl::Command6(2), RunningColour);
    TerminationSignals signalsToEnd;
    QObject::connect(&signalsToEnd, &TerminationSignals::received, window.get(), [this](int) { window->endRun(); });
    QSignalSpy ended(window.get(), &Form1Window::runEnded);
    std::raise(SIGTERM);
    QTRY_COMPARE(ended.count(), 1);
    window->close();
    std::raise(SIGHUP);
    QTest::qWait(20);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(window->isVisible());
    const std::vector<std::string> lines = dataLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(14, 2), "01") << "the unload's stop record";
}

} // namespace
} // namespace shiftloom::test
