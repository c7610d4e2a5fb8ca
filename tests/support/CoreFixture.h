// SPDX-License-Identifier: MIT
#pragma once

#include "app/SettingsStore.h"
#include "app/StorePaths.h"
#include "delivery/WaitingPlaces.h"
#include "panel/Panel.h"
#include "platform/SettingsBackend.h"
#include "support/FakeClock.h"
#include "support/FaultFileOps.h"
#include "support/HostFileOps.h"
#include "support/ScriptedHost.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace shiftloom::test {

/**
 * Everything a core test needs: a private data home for the mapped drives (so "c:\data" lies in
 * a temporary folder), real file operations behind a fault injector, settings in memory, a
 * clock at 2026-12-05 08:07:59 and a scripted window system.
 */
class CoreFixture : public ::testing::Test
{
protected:
    /** The per-user spool lies in the private home too. */
    CoreFixture() { setStateHome(home.file("state")); }

    TempDir home;
    /** The user's own folder, where the offline buffer and its journal lie. */
    std::string ownFolder() const { return home.path() + "/own"; }
    HostPathMapper paths = hostPaths(home.path(), ownFolder());
    HostFileOps realFiles{paths};
    FaultFileOps files{realFiles};
    platform::MemorySettingsBackend backend;
    SettingsStore settings{backend};
    FakeClock clock;
    ScriptedHost host;

    /** The folder of a data store, as a host path (no drive letter). */
    std::string store() const { return home.path() + "/store"; }
    std::string storePath(std::string_view name) const { return store() + "/" + std::string(name); }
    /** The host folder of the offline buffer, one file per record. */
    std::string bufferPath() const { return paths.toHost(delivery::kBufferFolder); }
    /** The host path of the buffer c:\data of earlier versions. */
    std::string earlierBufferPath() const { return paths.toHost(delivery::kEarlierBuffer); }
    std::string dataFile() const { return readFile(storePath(kDataFileName)); }
    /** The records waiting in the offline buffer, oldest first. */
    std::string buffer() const
    {
        std::vector<std::string> names;
        if (std::filesystem::is_directory(bufferPath())) {
            for (const auto& entry : std::filesystem::directory_iterator(bufferPath()))
                names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        std::string text;
        for (const std::string& name : names)
            text += name.starts_with('.') ? "" : readFile(bufferPath() + "/" + name);
        return text;
    }

    /** Makes the data store with its marker file, `jobs` in dep.dat and `activities`. */
    void makeStore(const std::vector<TestJob>& jobs = numberedJobs(3), std::string_view activities = {})
    {
        writeFile(storePath(kStoreMarkerName), "[cardward]\r\n");
        writeFile(storePath(kJobFileName), jobFile(jobs));
        if (!activities.empty())
            writeFile(storePath(kActivityFileName), activities);
    }
    /** Points the settings at the store. */
    void useStore() { settings.write(keys::DataLoc, store()); }
    /** Runs the start-up and gives the data folder of the run ("" when the program ended). */
    std::string startUp()
    {
        Panel panel(settings, files, clock, host);
        return panel.load() == LoadOutcome::Normal ? panel.dataFolder() : std::string();
    }
};

/** The lines of a file's text, each without its CR LF; fails the test on a line not ended by CR LF. */
inline std::vector<std::string> recordLines(std::string text)
{
    std::vector<std::string> lines;
    if (!text.empty() && !text.ends_with("\r\n")) {
        ADD_FAILURE() << "line without CR LF at the end: " << text.substr(text.rfind('\n') + 1);
        text += "\r\n";
    }
    for (std::size_t begin = 0, end; begin < text.size(); begin = end + 2) {
        end = text.find("\r\n", begin);
        lines.push_back(text.substr(begin, end - begin));
    }
    return lines;
}

} // namespace shiftloom::test
