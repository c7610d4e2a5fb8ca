// SPDX-License-Identifier: MIT
#include "AboutBox.h"

namespace shiftloom {

AboutBox AboutBox::forApplication(std::string_view appTitle, AppVersion version)
{
    const std::string title(appTitle);
    return {"About " + title, title, "Version " + versionNumber(version)};
}

} // namespace shiftloom
