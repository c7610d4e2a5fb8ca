// SPDX-License-Identifier: MIT
#pragma once

#include "platform/SettingsBackend.h"

#include <QString>
#include <map>
#include <memory>

class QSettings;

namespace shiftloom::platform {

/**
 * The per-user settings on QSettings in its native format: the application name is the
 * organisation, the section a group. On Linux that is the INI file
 * $XDG_CONFIG_HOME/Ovix_Shift-Loom.conf with the group [Properties]; on Windows the per-user
 * registry. Every write is synced at once, so that a program ended at once loses nothing.
 */
class QtSettingsBackend final : public SettingsBackend
{
public:
    QtSettingsBackend();
    ~QtSettingsBackend() override;
    QtSettingsBackend(const QtSettingsBackend&) = delete;
    QtSettingsBackend& operator=(const QtSettingsBackend&) = delete;

    std::optional<std::string> read(std::string_view app, std::string_view section, std::string_view key) override;
    void write(std::string_view app, std::string_view section, std::string_view key, std::string_view value) override;
    /** All values, then one sync: QSettings replaces the file in one step. */
    void writeAll(std::string_view app,
        std::string_view section,
        const std::vector<std::pair<std::string, std::string>>& values) override;

    /** The file or registry path that holds the settings of `app`. */
    QString location(std::string_view app);

private:
    QSettings& settingsFor(std::string_view app);
    std::map<std::string, std::unique_ptr<QSettings>, std::less<>> m_settings;
};

} // namespace shiftloom::platform
