// SPDX-License-Identifier: MIT
#pragma once

#include "panel/PanelLayout.h"

#include <optional>
#include <string>
#include <string_view>

namespace shiftloom {

/**
 * The one table from a panel control to the name its widget carries ("Command6" for a job
 * button, "Text3" for the card number box): the layout tables, the window tests and the
 * end-to-end tests find the widgets by these names, and nothing else uses them.
 */
std::string_view controlName(PanelControl control);
/** The object name of one widget: "Combo1", "Command6_3" for element 3 of an array. */
std::string objectNameOf(ControlRef ref);
/** The control named `objectName`, if any. */
std::optional<ControlRef> controlNamed(std::string_view objectName);

} // namespace shiftloom
