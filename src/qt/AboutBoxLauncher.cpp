// SPDX-License-Identifier: MIT
#include "AboutBoxLauncher.h"

#include "AboutDialog.h"

namespace shiftloom {

AboutBoxLauncher::AboutBoxLauncher(std::string_view appTitle)
    : m_appTitle(appTitle)
{
}

AboutDialog* AboutBoxLauncher::show(QWidget* parent)
{
    // A box that was closed is hidden and waits for its deferred deletion; it is not reused.
    if (!m_box || !m_box->isVisible())
        m_box = new AboutDialog(m_appTitle, parent);
    m_box->show();
    m_box->raise();
    m_box->activateWindow();
    return m_box;
}

AboutDialog* AboutBoxLauncher::current() const
{
    return m_box;
}

} // namespace shiftloom
