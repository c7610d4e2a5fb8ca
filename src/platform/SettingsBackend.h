// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace shiftloom::platform {

/**
 * Per-user text values addressed by application name, section and key. Values are 8-bit text
 * (Windows-1252 bytes) and come back exactly as written.
 */
class SettingsBackend
{
public:
    virtual ~SettingsBackend() = default;
    /** The stored value, or nothing when the key was never written. */
    virtual std::optional<std::string> read(std::string_view app, std::string_view section, std::string_view key) = 0;
    /** Stores the value; it is on disk when the call returns. */
    virtual void write(
        std::string_view app, std::string_view section, std::string_view key, std::string_view value) = 0;
    /**
     * Stores several values, on disk together when the call returns (where the store can, in one
     * step, so that nobody sees some of them written and others not).
     */
    virtual void writeAll(
        std::string_view app, std::string_view section, const std::vector<std::pair<std::string, std::string>>& values)
    {
        for (const auto& [key, value] : values)
            write(app, section, key, value);
    }
};

/** Settings held in memory, for tests and for the store tool. */
class MemorySettingsBackend final : public SettingsBackend
{
public:
    std::optional<std::string> read(std::string_view app, std::string_view section, std::string_view key) override;
    void write(std::string_view app, std::string_view section, std::string_view key, std::string_view value) override;

private:
    std::map<std::tuple<std::string, std::string, std::string>, std::string, std::less<>> m_values;
};

} // namespace shiftloom::platform
