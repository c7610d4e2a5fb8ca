// SPDX-License-Identifier: MIT
#include "AboutBox.h"

namespace shiftloom {

AboutBox AboutBox::forApplication(std::string_view appTitle, AppVersion version)
{
    const std::string title(appTitle);
    return {"About " + title, title, "Version " + versionNumber(version)};
}

ControlState AboutBox::controlState(const DialogControlDesign& design) const
{
    ControlState state = dialogControlState(design);
    if (design.control == DialogControl::AboutTitle)
        state.text = title;
    else if (design.control == DialogControl::AboutVersion)
        state.text = version;
    return state;
}

} // namespace shiftloom
