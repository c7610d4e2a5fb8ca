// SPDX-License-Identifier: MIT
#pragma once

#include "panel/ControlNames.h"
#include "panel/PanelLayout.h"

#include <string>
#include <string_view>

namespace shiftloom {

class Panel;

/** The panel window's name for a screen reader: the window shows no title. */
inline constexpr std::string_view kPanelAccessibleName = "Ovix Shift-Loom";

/**
 * What a screen reader says for a control: its name (read when the control is met) and its
 * description (read after it), in the words of the work and 8-bit like every text of the panel.
 * Both front ends give every control these texts, and keep them current as the panel changes.
 */
struct AccessibleText
{
    std::string name;
    std::string description;
    bool operator==(const AccessibleText&) const = default;
};

/**
 * The texts of a panel control as the panel stands now: a job button names its job and whether
 * it runs, its description the job's description and running time; the clock and the activity
 * labels name their values. The keypad's entry is never named: only its stars are read.
 */
AccessibleText accessibleText(const Panel& panel, ControlRef ref);

/**
 * The texts of the panel window itself, for a front end that draws the clock and the activity on
 * the window rather than as controls of their own: its name, then the clock and the activity.
 */
AccessibleText panelWindowAccessibleText(const Panel& panel);

/**
 * The texts of a control of the locate dialog, the activity dialog or the about box. An empty
 * name leaves the control's own text as its name (a status line, the about box's title and
 * version).
 */
AccessibleText dialogAccessibleText(DialogControl control);

} // namespace shiftloom
