// SPDX-License-Identifier: MIT
#include "AboutBox.h"

namespace shiftloom {

AboutBox AboutBox::forApplication(std::string_view appTitle, AppVersion version)
{
    const std::string title(appTitle);
    return {"About " + title,
        title,
        "Version " + std::to_string(version.Major) + "." + std::to_string(version.Minor) + "."
            + std::to_string(version.Revision)};
}

} // namespace shiftloom
