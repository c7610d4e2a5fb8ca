// SPDX-License-Identifier: MIT
#pragma once

#include "app/SettingsStore.h"

#include <QPointer>
#include <string>
#include <string_view>

class QWidget;

namespace shiftloom {

class AboutDialog;

/**
 * Shows the about box, one at a time: the first `show()` creates and loads it, a later one while
 * it exists only brings it to the front; once OK has destroyed it, the next `show()` makes a new
 * one. Never blocks.
 */
class AboutBoxLauncher final
{
public:
    explicit AboutBoxLauncher(std::string_view appTitle = SettingsAppName);

    /**
     * Shows the box and returns it. `parent`, when given, is the window the box belongs to (it
     * then stays off the taskbar); it is used only when the box is created.
     */
    AboutDialog* show(QWidget* parent = nullptr);
    /** The box while it exists, or none. */
    AboutDialog* current() const;

private:
    std::string m_appTitle;
    QPointer<AboutDialog> m_box;
};

} // namespace shiftloom
