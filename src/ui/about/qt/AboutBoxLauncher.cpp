// SPDX-License-Identifier: MIT
#include "AboutBoxLauncher.h"

#include "FrmAboutDialog.h"

namespace shiftloom {

AboutBoxLauncher::AboutBoxLauncher(SysInfoServices services, std::string_view appTitle)
    : m_services(services)
    , m_appTitle(appTitle)
{
}

FrmAboutDialog* AboutBoxLauncher::show(QWidget* parent)
{
    // A box that was closed is hidden and waits for its deferred deletion; it is not reused.
    if (!m_box || !m_box->isVisible())
        m_box = new FrmAboutDialog(m_services, m_appTitle, parent);
    m_box->show();
    m_box->raise();
    m_box->activateWindow();
    return m_box;
}

FrmAboutDialog* AboutBoxLauncher::current() const
{
    return m_box;
}

} // namespace shiftloom
