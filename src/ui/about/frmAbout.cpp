// SPDX-License-Identifier: MIT
#include "frmAbout.h"

#include "AboutBoxDesign.h"

namespace shiftloom {

frmAbout::frmAbout(SysInfoServices services)
    : m_services(services)
    , m_caption(frmAboutDesign().caption)
    , m_title(frmAboutControl("lblTitle")->caption)
    , m_version(frmAboutControl("lblVersion")->caption)
{
}

void frmAbout::Form_Load(std::string_view appTitle, AppVersion version)
{
    m_appTitle = std::string(appTitle);
    m_caption = "About " + m_appTitle;
    m_version = "Version " + std::to_string(version.Major) + "." + std::to_string(version.Minor) + "."
        + std::to_string(version.Revision);
    m_title = m_appTitle;
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo(m_services, m_appTitle);
}

} // namespace shiftloom
