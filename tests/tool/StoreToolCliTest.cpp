// SPDX-License-Identifier: MIT
// The built store tool, run as a separate process against a private store and XDG folder.

#include "ToolProcess.h"

#include "app/ActivityFile.h"
#include "app/DataFolder.h"
#include "platform/FileIo.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"
#include "timing/TimeRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace shiftloom::test {
namespace {

namespace fs = std::filesystem;

class StoreToolCli : public testing::Test
{
protected:
    ToolRun run(const std::vector<std::string>& arguments)
    {
        return runStoreTool(arguments, dataHome(), m_scratch.path());
    }
    std::string dataHome() const { return m_home.file("xdg"); }
    std::string store() const { return m_home.file("store"); }
    std::string storeFile(std::string_view name) const { return store() + "/" + std::string(name); }

    // Every file under `folder` with its bytes and time of last change.
    static std::map<std::string, std::pair<std::string, fs::file_time_type>> listing(const std::string& folder)
    {
        std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            files[entry.path().string()] = {
                entry.is_regular_file() ? readFile(entry.path().string()) : "<folder>", entry.last_write_time()};
        }
        return files;
    }

    static std::vector<std::string> linesOf(const std::string& text) { return platform::splitLines(text); }
    static bool isOneLine(const std::string& text) { return !text.empty() && text.find('\n') == text.size() - 1; }

    TempDir m_home; // the store and the XDG data folder
    TempDir m_scratch; // the tool's output, kept out of the listings
};

TEST_F(StoreToolCli, SampleStoreRoundTrip)
{
    const ToolRun init = run({"init", store()});
    ASSERT_EQ(init.exitCode, 0) << init.err;
    EXPECT_TRUE(fileExists(storeFile("cardward.ini")));
    EXPECT_FALSE(fileExists(storeFile("data"))) << "the panel makes the data file";

    // Twelve jobs, one of them unlisted: eleven lines in the panel's layout, in UTF-8.
    const ToolRun jobs = run({"jobs", store()});
    ASSERT_EQ(jobs.exitCode, 0) << jobs.err;
    const std::vector<std::string> lines = linesOf(jobs.out);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0].substr(0, 16), "WS-26   1001    ");
    EXPECT_TRUE(std::all_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.size() == 85 || (line.size() == 86 && line.find("\xC3\xA7") != std::string::npos);
    }));
    EXPECT_NE(jobs.out.find("Fa\xC3\xA7"
                            "ade brackets"),
        std::string::npos);
    EXPECT_EQ(jobs.out.find("Paint line"), std::string::npos);

    // The activity list as the panel reads it.
    const std::string activities = readFile(storeFile("activities.txt"));
    ASSERT_FALSE(activities.empty());
    EXPECT_EQ(activities.substr(activities.size() - 2), "\r\n");
    const Activity first = parseActivityLine(linesOf(activities).front());
    EXPECT_EQ(first.code, "ASSEMBLY");
    EXPECT_EQ(first.number, "00000001");

    // Records as the panel's writer makes them, decoded back.
    FakeClock clock({2026, 12, 5, 8, 7, 59});
    std::string data = MakeStartRecord(clock.now(), "1234", "00001001", "00000001") + "\r\n";
    clock.set({2026, 12, 5, 9, 37, 0});
    data += MakeInRecord(clock.now(), "4711") + "\r\n";
    data += MakeStopRecord(clock.now(), "1234") + "\r\n";
    data += MakeStartRecord(clock.now(), "-5", "1", "1") + "\r\n";
    writeFile(storeFile("data"), data);

    const ToolRun records = run({"records", store(), "--csv"});
    ASSERT_EQ(records.exitCode, 0) << records.err;
    const std::vector<std::string> rows = linesOf(records.out);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1], "1,start,2026-12-05,08:07,0000000000001234,0000000000001001,0000000000000001,,CRLF,,");
    EXPECT_EQ(rows[2], "2,IN,2026-12-05,09:37,,,,00004711,CRLF,,");
    EXPECT_EQ(rows[3], "3,stop,2026-12-05,09:37,0000000000001234,0000000000000000,0000000000000000,,CRLF,,");
    EXPECT_EQ(rows[4].substr(0, 10), "4,invalid,");
    EXPECT_NE(rows[4].find("minus sign at column 17"), std::string::npos);
    EXPECT_TRUE(isOneLine(records.err)) << records.err;
    EXPECT_NE(records.err.find("1 of 4 lines invalid"), std::string::npos);

    const ToolRun report = run({"report", store(), "--csv"});
    ASSERT_EQ(report.exitCode, 0) << report.err;
    EXPECT_EQ(report.out, "kind,card,job_card,day,minutes,hhmm,start,line\ntotal,1234,1001,2026-12-05,90,01:30,,\n");
    EXPECT_NE(report.err.find("1 invalid line skipped"), std::string::npos);
}

TEST_F(StoreToolCli, StoreFromCsvAndActivityFile)
{
    writeFile(m_home.file("jobs.csv"),
        "prefix,code,name,detail,card,listed\n"
        "\"A,1\",J1,\"Weld \"\"big\"\" frame\",,11,yes\n"
        "B,J2,Hidden,,12,no\n");
    writeFile(m_home.file("acts.txt"), "CODE0001 One 00000042;\r\n");
    const ToolRun init =
        run({"init", store(), "--jobs", m_home.file("jobs.csv"), "--activities", m_home.file("acts.txt")});
    ASSERT_EQ(init.exitCode, 0) << init.err;
    EXPECT_EQ(readFile(storeFile("activities.txt")), "CODE0001 One 00000042;\r\n");
    const ToolRun jobs = run({"jobs", store()});
    ASSERT_EQ(linesOf(jobs.out).size(), 1u);
    const std::string tenBlanks(10, ' ');
    EXPECT_EQ(jobs.out.substr(0, 48), "A,1     J1      " + tenBlanks + "11      " + tenBlanks + "Weld");
}

TEST_F(StoreToolCli, InitReplacesAStoreOnlyWithForce)
{
    ASSERT_EQ(run({"init", store()}).exitCode, 0);
    const std::string jobFile = readFile(storeFile("dep.dat"));
    writeFile(m_home.file("one.csv"), "P,C,N,D,1,yes\n");

    const ToolRun again = run({"init", store(), "--jobs", m_home.file("one.csv")});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_TRUE(isOneLine(again.err)) << again.err;
    EXPECT_NE(again.err.find(storeFile("dep.dat")), std::string::npos) << again.err;
    EXPECT_EQ(readFile(storeFile("dep.dat")), jobFile);

    ASSERT_EQ(run({"init", store(), "--jobs", m_home.file("one.csv"), "--force"}).exitCode, 0);
    EXPECT_EQ(linesOf(run({"jobs", store()}).out).size(), 1u);
}

TEST_F(StoreToolCli, BadInputGivesStatus2AndOneLineNamingTheFile)
{
    writeFile(m_home.file("short.csv"), "prefix,code,name,detail,card,listed\nP,C,N,D,1,yes\nP,C,N,D\n");
    writeFile(m_home.file("long.csv"), "P,C,A name much too long for it,D,1,yes\n");
    writeFile(m_home.file("binary.txt"), std::string("CODE0001 One 00000042;\r\n\0\x01", 26));
    struct Case
    {
        std::vector<std::string> arguments;
        std::string expected; ///< what the one line says
    };
    const std::vector<Case> cases = {
        {{"init", store(), "--jobs", m_home.file("short.csv")},
            m_home.file("short.csv") + " line 3: expected 6 columns, found 4"},
        {{"init", store(), "--jobs", m_home.file("long.csv")},
            m_home.file("long.csv") + " line 1: column name: 27 characters, at most 20 fit"},
        {{"init", store(), "--jobs", m_home.file("missing.csv")}, m_home.file("missing.csv") + ": cannot read"},
        {{"init", store(), "--activities", m_home.file("binary.txt")},
            m_home.file("binary.txt") + " line 2: control byte 0"},
        {{"jobs", store()}, store() + ": no such folder"},
        {{"report", m_home.path(), "--from", "2026-13-01"}, "--from 2026-13-01: not a day"},
        {{"report", m_home.path(), "--from", "2026-12-08", "--to", "20261207"}, "2026-12-08 is after --to 20261207"},
        {{"report", m_home.path(), "--html", m_home.file("none/t.html")},
            m_home.file("none/t.html") + ": cannot write"},
        {{"report", m_home.path(), "--html", m_home.path()}, m_home.path() + ": is a folder"},
        {{"report", m_home.path(), "--html", "-", "--json"}, "--json excludes --html"},
        {{"records", m_home.path(), "--csv", "--json"}, "--csv excludes --json"},
        {{"frobnicate"}, "frobnicate"},
        {{}, "a command is required"},
    };
    for (const Case& c : cases) {
        const ToolRun result = run(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.expected;
        EXPECT_TRUE(isOneLine(result.err)) << result.err;
        EXPECT_EQ(result.err.rfind("shift-loom-store: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(c.expected), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fileExists(store())) << "bad input leaves no half-made store";
}

TEST_F(StoreToolCli, RegisterWritesTheIniWhereThePanelLooks)
{
    ASSERT_EQ(run({"init", store()}).exitCode, 0);
    const ToolRun registered = run({"register", store() + "/"});
    ASSERT_EQ(registered.exitCode, 0) << registered.err;
    const std::string ini = dataHome() + "/Ovix_Shift-Loom/drive_c/windows/cwv5.ini";
    EXPECT_EQ(registered.out, "wrote " + ini + "\n");
    EXPECT_EQ(registered.err, "");

    const std::string text = readFile(ini);
    EXPECT_NE(text.find("\r\n[cardmain]\r\n" + store() + "\r\n"), std::string::npos) << text;
    // The panel's own reader finds the store in it.
    const platform::PosixPathMapper paths(dataHome());
    platform::PosixFileOps files(paths);
    EXPECT_EQ(scanCardWardenIni(files, "c:\\windows\\cwv5.ini"), store());

    const ToolRun notAStore = run({"register", m_home.path()});
    EXPECT_EQ(notAStore.exitCode, 0);
    EXPECT_NE(notAStore.err.find("no cardward.ini"), std::string::npos);
}

TEST_F(StoreToolCli, AFolderWithAnAccentIsRegisteredInThePanelsTextAndReadBack)
{
    const std::string folder = m_home.file("B\xC3\xBCro"); // "Büro" in UTF-8
    ASSERT_EQ(run({"init", folder}).exitCode, 0);
    ASSERT_EQ(run({"register", folder}).exitCode, 0);
    const std::string ini = readFile(dataHome() + "/Ovix_Shift-Loom/drive_c/windows/cwv5.ini");
    EXPECT_NE(ini.find(m_home.path() + "/B\xFCro\r\n"), std::string::npos) << "one byte per character";
    // The panel takes that line and finds the store's files through it.
    const platform::PosixPathMapper paths(dataHome());
    platform::PosixFileOps files(paths);
    const std::string named = scanCardWardenIni(files, "c:\\windows\\cwv5.ini");
    EXPECT_TRUE(platform::canOpenForReading(files, named + "\\dep.dat"));
    const ToolRun jobs = run({"jobs", folder});
    EXPECT_EQ(jobs.exitCode, 0) << jobs.err;
    EXPECT_FALSE(jobs.out.empty());

    // A character outside the code page: the panel could not spell the folder.
    ASSERT_EQ(run({"init", m_home.file("\xE4\xB8\xAD")}).exitCode, 0);
    EXPECT_EQ(run({"register", m_home.file("\xE4\xB8\xAD")}).exitCode, 2);
}

TEST_F(StoreToolCli, ReadingCommandsChangeAndCreateNothing)
{
    ASSERT_EQ(run({"init", store()}).exitCode, 0);
    // A store without a data file: reading it must not make one.
    fs::create_directories(dataHome());
    const auto before = listing(m_home.path());
    for (const std::vector<std::string>& arguments :
        std::vector<std::vector<std::string>>{{"jobs", store()}, {"records", store()}, {"report", store(), "--json"}}) {
        EXPECT_EQ(run(arguments).exitCode, 0) << arguments[0];
    }
    EXPECT_EQ(listing(m_home.path()), before);

    writeFile(storeFile("data"), "0120261205080700000000000000123400000000000010010000000000000001\r\nbroken");
    const auto withData = listing(m_home.path());
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{{"jobs", store()},
             {"records", store()},
             {"records", store(), "--csv"},
             {"records", store(), "--json"},
             {"report", store()},
             {"report", store(), "--csv", "--from", "20261201", "--to", "2026-12-31"}}) {
        EXPECT_EQ(run(arguments).exitCode, 0) << arguments[0];
    }
    EXPECT_EQ(listing(m_home.path()), withData);

    // A folder without a job file: jobs fails and leaves it without one.
    fs::remove(storeFile("dep.dat"));
    const ToolRun jobs = run({"jobs", store()});
    EXPECT_EQ(jobs.exitCode, 2);
    EXPECT_NE(jobs.err.find(storeFile("dep.dat") + ": cannot read (not found)"), std::string::npos) << jobs.err;
    EXPECT_FALSE(fileExists(storeFile("dep.dat")));
}

TEST_F(StoreToolCli, HelpOnEveryCommandAndVersion)
{
    for (const char* command : {"", "init", "register", "jobs", "records", "report"}) {
        std::vector<std::string> arguments;
        if (*command)
            arguments.emplace_back(command);
        arguments.emplace_back("--help");
        const ToolRun help = run(arguments);
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_NE(help.out.find("Usage:"), std::string::npos) << command;
    }
    const ToolRun version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "shift-loom-store 1.0.14\n");
}

} // namespace
} // namespace shiftloom::test
