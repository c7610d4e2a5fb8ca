// SPDX-License-Identifier: MIT
// What the front ends paint: each control's state from the model, and only what changed.
#include "panel/PanelView.h"
#include "panel/JobListOrder.h"
#include "panel/TwipsScale.h"
#include "support/CoreFixture.h"

namespace shiftloom {
namespace {

class PanelViewTest : public test::CoreFixture, private PanelPainter
{
protected:
    Panel panel{settings, files, clock, host};
    PanelView view;
    std::vector<ControlRef> painted;
    std::vector<std::string> listShown; ///< the job list's lines as last painted, in their order

    /** The controls the next render repaints; the job list, when filled anew, before them. */
    std::vector<ControlRef> repainted()
    {
        painted.clear();
        const bool changed = view.render(panel, *this);
        EXPECT_EQ(changed, !painted.empty());
        return painted;
    }

private:
    void paintJobList(const TextList& lines, const std::vector<std::size_t>& order) override
    {
        EXPECT_TRUE(painted.empty());
        listShown.clear();
        for (const std::size_t i : order)
            listShown.emplace_back(lines[i]);
    }
    void paintControl(const ControlDesign& design, const ControlState& state) override
    {
        EXPECT_EQ(&state, &view.state(design.ref));
        painted.push_back(design.ref);
    }
};

TEST_F(PanelViewTest, EveryControlFirstThenOnlyWhatChangedAndATypedTimeStaysUntilItsTimeChanges)
{
    makeStore(test::numberedJobs(2));
    useStore();
    ASSERT_EQ(panel.load(), LoadOutcome::Normal);
    EXPECT_EQ(repainted().size(), panelControls().size());
    EXPECT_EQ(listShown, sortedForDisplay(panel.jobList()));
    EXPECT_TRUE(repainted().empty());

    panel.assignJob(panel.jobList()[0]);
    host.activityPicked = Activity{"REPAIR  ", "00000002"};
    panel.pressJobButton(0);
    const ControlState& button = view.state(jobButton(0));
    EXPECT_EQ(repainted(),
        (std::vector<ControlRef>{{PanelControl::ActivityCode}, {PanelControl::ActivityNumber}, jobButton(0)}));
    EXPECT_EQ(button.text + "|" + button.toolTip, panel.slot(0).job + "|" + panel.slot(0).description);
    EXPECT_EQ(button.back, RunningColour);
    EXPECT_EQ(button.accessible.name, "Job 1: " + panel.slot(0).job + ", running");

    typeInto(panel, view, elapsedBox(1), "1:2");
    clock.set({2026, 12, 5, 8, 8, 0});
    panel.tick();
    EXPECT_EQ(repainted(),
        (std::vector<ControlRef>{{PanelControl::Clock}, jobButton(0), elapsedBox(0), {PanelControl::Total}}))
        << "the clock, the running job and the total; the typed box keeps its text";
    panel.stopAll();
    panel.keyDigit(7);
    EXPECT_EQ(repainted(), (std::vector<ControlRef>{jobButton(0), {PanelControl::KeypadEcho}}));
    EXPECT_EQ(view.state({PanelControl::KeypadEcho}).text, "*");

    typeInto(panel, view, {PanelControl::CardNumber}, "4711");
    typeInto(panel, view, {PanelControl::JobList}, "typed");
    typeInto(panel, view, {PanelControl::Total}, "9");
    EXPECT_EQ(panel.cardNumber() + "|" + panel.jobListText(), "4711|typed");
    EXPECT_TRUE(repainted().empty()) << "the boxes keep what was typed; the total takes no typing";
    EXPECT_EQ(trayToolTip(), "   Ovix Tick-Fob ") << "a blank either side of the design's text";
}

// The activity number's eight bold digits take the room up to the window's edge.
TEST(PanelLayoutTest, TheActivityNumberReachesTheWindowsEdgeAndTheOtherControlsKeepTheirWidths)
{
    const ControlDesign& number = designOf({PanelControl::ActivityNumber});
    const ControlDesign& code = designOf({PanelControl::ActivityCode});
    EXPECT_EQ(number.left + shownWidth(number), panelDesign().clientWidth);
    EXPECT_EQ(shownWidth(code), code.width);
}

TEST(TwipsScaleTest, EdgesRoundEachOnItsOwnSoThatNeighboursMeetAtEveryScale)
{
    const TwipsScale at150(144);
    EXPECT_EQ(at150.rect(1740, 1740, 1035, 315), (PixelRect{174, 174, 278, 206}));
    EXPECT_EQ(TwipsScale(120).rect(7, 7, 7, 7), (PixelRect{1, 1, 1, 1}));
    EXPECT_DOUBLE_EQ(at150.twips(at150.pixels(2880)), 2880);
    EXPECT_EQ(at150.fromDesignPixels(36), 54);
    EXPECT_EQ(TwipsScale(0).dpi(), TwipsScale::kDesignDpi) << "a screen that gives no density draws at the design's";
}

} // namespace
} // namespace shiftloom
