// SPDX-License-Identifier: MIT
#pragma once

#include "platform/ProgramLauncher.h"
#include "ui/about/SysInfo.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace shiftloom::test {

/** A launcher that starts nothing: it records the starts and knows the files and programs it is told. */
class FakeProgramLauncher final : public platform::ProgramLauncher
{
public:
    bool start(std::string_view program, const std::vector<std::string>& arguments) override
    {
        started.emplace_back(program, arguments);
        return startable.count(std::string(program)) > 0;
    }
    std::string findOnPath(std::string_view name) const override
    {
        const std::string path = "/usr/bin/" + std::string(name);
        return onPath.count(std::string(name)) ? path : std::string();
    }
    bool fileExists(std::string_view path) const override { return files.count(std::string(path)) > 0; }

    std::set<std::string> startable; ///< programs whose start succeeds
    std::set<std::string> onPath; ///< bare names found on the search path, as /usr/bin/<name>
    std::set<std::string> files;
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
};

/** Answers every message box at once and remembers what it showed. */
class ScriptedMessageBox final : public OkMessageBox
{
public:
    void show(std::string_view text, std::string_view title) override { shown.emplace_back(text, title); }
    std::vector<std::pair<std::string, std::string>> shown;
};

} // namespace shiftloom::test
