// SPDX-License-Identifier: MIT
// The ends of a run that are not the worker's: the application quitting with the session, and
// the signals that ask a program to end. A save request before a log-off is not one of them.
#include "QtFixture.h"

#include "qt/RunEnd.h"
#include "qt/TerminationSignals.h"
#include "timing/RecordLayout.h"

#include <QSessionManager>
#include <QSignalSpy>
#include <csignal>

namespace shiftloom::test {
namespace {

// Each end alone, with a job running: the application quitting with the session (0), or a signal.
class RunEnds : public QtFixture, public ::testing::WithParamInterface<int>
{
protected:
    void SetUp() override
    {
        makeStore();
        loadAndShow();
        panel.assignJob(panel.jobList()[0]);
        whenShown(nameOf(ProgramWindow::ActivityDialog), [](QWidget* dialog) { dialog->close(); });
        panel.pressJobButton(0);
        endRunWhenAsked(*qGuiApp, *window, signalsToEnd);
    }
    static void end(int how)
    {
        if (how == 0)
            QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection);
        else
            std::raise(how);
    }
    TerminationSignals signalsToEnd;
    QSignalSpy ended{window.get(), &PanelWindow::runEnded};
};

TEST_P(RunEnds, EachEndsTheRunOnceWithOneStopForTheRunningJob)
{
    end(GetParam());
    ASSERT_TRUE(waitUntil([&] { return ended.count() == 1; }));
    end(GetParam() == 0 ? SIGTERM : 0); // a second end after the first
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(ended.count(), 1);
    ASSERT_EQ(dataLines().size(), 2u);
    EXPECT_EQ(record::event.of(dataLines()[1]), record::StopEvent) << "the stop of the end of the run";
}

INSTANTIATE_TEST_SUITE_P(Ends, RunEnds, ::testing::Values(0, SIGTERM, SIGHUP, SIGINT));

using SaveRequest = RunEnds;

TEST_F(SaveRequest, BeforeALogOffEndsNothing)
{
    // The request carries the session manager, which only Qt can make; nothing here may use it.
    alignas(QObject) static std::byte manager[sizeof(QObject) * 4]{};
    emit qGuiApp->commitDataRequest(*reinterpret_cast<QSessionManager*>(manager));
    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(dataLines().size(), 1u) << "no stop record while the log-off may still be cancelled";
}

} // namespace
} // namespace shiftloom::test
