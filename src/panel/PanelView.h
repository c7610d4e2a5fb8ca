// SPDX-License-Identifier: MIT
#pragma once

#include "app/TextList.h"
#include "panel/AccessibleText.h"
#include "panel/PanelLayout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

class Panel;

/** What one control shows: a front end paints exactly this. */
struct ControlState
{
    std::string text;
    Colour back = kDefaultColour;
    Colour fore = kDefaultColour;
    bool enabled = true;
    bool visible = true;
    std::string toolTip;
    AccessibleText accessible;
    bool operator==(const ControlState&) const = default;
};

/**
 * What a control of the panel shows as the panel stands now: a job button its job, its
 * description as its tooltip and green while it runs; the clock, the activity, the card number,
 * the running times, the total, the keypad's stars and the job list's text their values; every
 * other control its design.
 */
ControlState controlState(const Panel& panel, ControlRef ref);

class PanelView;

/**
 * The worker typed `text` into a box of the panel (the card number, a running time, the job
 * list's text): the panel takes it as the value the box stands for, and the box keeps the text as
 * typed until that value changes. Typing into any other control means nothing.
 */
void typeInto(Panel& panel, PanelView& view, ControlRef ref, std::string_view text);

/**
 * The tooltip of the program's icon in the notification area: the design's text (cut to 61
 * characters) with a blank on either side, as the shell has always shown it; empty for an empty
 * design text.
 */
std::string trayToolTip();

/** What a front end paints the panel with; `PanelView::render` says what to paint. */
class PanelPainter
{
public:
    /** The job list's lines were read again: the list shows `lines` in the order of `order` (indexes into them). */
    virtual void paintJobList(const TextList& lines, const std::vector<std::size_t>& order) = 0;
    /** Shows what the control of `design` shows now. */
    virtual void paintControl(const ControlDesign& design, const ControlState& state) = 0;

protected:
    ~PanelPainter() = default;
};

/**
 * The panel as a front end shows it: the state of every control of `panelControls()`, and what
 * changed since the front end last painted. Each front end keeps one, asks it for the changes
 * after each operation it runs, paints only those, and forwards the worker's acts to the model.
 */
class PanelView final
{
public:
    struct Changes
    {
        /** Places in `panelControls()` whose state changed; every control at the first update. */
        std::vector<std::size_t> controls;
        /** The job list's lines were read again: the list is to be filled anew. */
        bool jobList = false;
    };

    PanelView();

    /** Takes the panel's state as shown and returns what changed since the last update. */
    Changes update(const Panel& panel);
    /**
     * Paints what changed since the last update: the job list first when it was read again, in
     * the order it shows its lines, then each control that changed. True when any control did.
     */
    bool render(const Panel& panel, PanelPainter& painter);
    /** The state of a control as last taken by `update`. */
    const ControlState& state(std::size_t index) const;
    const ControlState& state(ControlRef ref) const { return state(controlIndex(ref)); }
    /**
     * The worker changed the text of `ref` in place (typed a card number, a running time, into the
     * job list): the control keeps that text until the model's value for it changes again.
     */
    void edited(const Panel& panel, ControlRef ref);
    /**
     * The window system changed what `ref` shows (a pick in a list puts the item's text in its
     * box): the next update paints it again, changed or not.
     */
    void forget(ControlRef ref);

private:
    std::vector<std::optional<ControlState>> m_shown; ///< by `controlIndex()`
    std::uint64_t m_shownJobList = 0;
};

} // namespace shiftloom
