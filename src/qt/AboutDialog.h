// SPDX-License-Identifier: MIT
#pragma once

#include "panel/AboutBox.h"

#include "qt/DescribedDialog.h"
#include <span>
#include <string_view>

namespace shiftloom {

/**
 * The system information programs of Linux desktops, tried in this order by the about box's
 * System Info button: "hardinfo" (system profiler), "kinfocenter" (KDE), "gnome-system-monitor"
 * (GNOME), "xfce4-taskmanager" (Xfce).
 */
std::span<const std::string_view> systemInformationPrograms();

/**
 * Starts the first of `programs` found on the search path, without waiting for it; when none is
 * found or it cannot be started, shows "System Information Is Unavailable At This Time" titled
 * `appTitle` with one OK button. Returns true when a program was started.
 */
bool startSystemInformation(std::span<const std::string_view> programs, std::string_view appTitle, QWidget* parent);

/**
 * The about box as a Qt dialog: modeless, fixed size, a close button but no minimize or maximize
 * button, its client area placed at the design position, the controls at their design places
 * (twips at the screen's scale). OK, Enter and Esc close it, and closing destroys it. The widgets
 * carry the name table's names (`controlName`) as object names.
 */
class AboutDialog final : public DescribedDialog
{
    Q_OBJECT
public:
    /** Creates the box for `appTitle` (8-bit text); show it with show(). */
    explicit AboutDialog(std::string_view appTitle, QWidget* parent = nullptr);

    const AboutBox& content() const { return m_content; }

private:
    AboutBox m_content;
    std::string m_appTitle;
};

} // namespace shiftloom
