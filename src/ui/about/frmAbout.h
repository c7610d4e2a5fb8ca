// SPDX-License-Identifier: MIT
#pragma once

#include "SysInfo.h"
#include "ui/about/AppVersion.h"

#include <string>
#include <string_view>

namespace shiftloom {

/**
 * The about box: its title and labels, and what its buttons do. The window that shows it is
 * created modeless, one at a time, and destroyed by OK, Enter or Esc (the Qt layer's
 * `AboutBoxLauncher` and `FrmAboutDialog`); this class holds what it shows.
 */
class frmAbout final
{
public:
    explicit frmAbout(SysInfoServices services);

    /**
     * Load: the title becomes "About " and the application title, `lblVersion` "Version " and
     * the major, minor and revision numbers joined by ".", `lblTitle` the application title.
     */
    void Form_Load(std::string_view appTitle, AppVersion version = kAppVersion);

    const std::string& Caption() const { return m_caption; }
    const std::string& lblTitle() const { return m_title; }
    const std::string& lblVersion() const { return m_version; }

    /** The System Info button: starts the system information program, or says it is unavailable. */
    void cmdSysInfo_Click();

private:
    SysInfoServices m_services;
    std::string m_appTitle;
    std::string m_caption;
    std::string m_title;
    std::string m_version;
};

} // namespace shiftloom
