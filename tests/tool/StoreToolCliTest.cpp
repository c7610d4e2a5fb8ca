// SPDX-License-Identifier: MIT
// The built store tool, run as a separate process against a private store and XDG folder.

#include "app/ActivityFile.h"
#include "platform/FileIo.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"
#include "timing/TimeRecord.h"
#include "tool/CommandLine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>

namespace shiftloom::test {
namespace {

namespace fs = std::filesystem;

struct ToolRun
{
    int exitCode = -1; ///< -1 when the process did not end normally
    std::string out;
    std::string err;
};

class StoreToolCli : public testing::Test
{
protected:
    ToolRun run(const std::vector<std::string>& arguments)
    {
        std::string command = "COLUMNS=50 XDG_DATA_HOME=" + quoted(dataHome())
            + " XDG_CONFIG_HOME=" + quoted(dataHome()) + "/config XDG_CONFIG_DIRS=" + quoted(dataHome()) + "/xdg "
            + quoted(SHIFTLOOM_STORE_TOOL);
        for (const std::string& argument : arguments)
            command += " " + quoted(argument);
        command += " >" + quoted(m_scratch.file("out")) + " 2>" + quoted(m_scratch.file("err"));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            readFile(m_scratch.file("out")),
            readFile(m_scratch.file("err"))};
    }
    // No argument of these tests holds a quote.
    static std::string quoted(const std::string& text) { return "'" + text + "'"; }
    std::string dataHome() const { return m_home.file("xdg"); }
    std::string store() const { return m_home.file("store"); }
    std::string storeFile(std::string_view name) const { return store() + "/" + std::string(name); }

    // Every file under the home folder with its bytes and time of last change.
    std::map<std::string, std::pair<std::string, fs::file_time_type>> listing() const
    {
        std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
        for (const auto& entry : fs::recursive_directory_iterator(m_home.path())) {
            files[entry.path().string()] = {
                entry.is_regular_file() ? readFile(entry.path().string()) : "<folder>", entry.last_write_time()};
        }
        return files;
    }

    static bool isOneLine(const std::string& text) { return !text.empty() && text.find('\n') == text.size() - 1; }

    TempDir m_home; // the store and the XDG folders
    TempDir m_scratch; // the tool's output, kept out of the listings
};

TEST_F(StoreToolCli, InitMakesASampleStoreOrOneFromFilesAndReplacesItOnlyWithForce)
{
    const ToolRun init = run({"init", store()});
    ASSERT_EQ(init.exitCode, 0) << init.err;
    EXPECT_TRUE(fileExists(storeFile("cardward.ini")));
    EXPECT_FALSE(fileExists(storeFile("data"))) << "the panel makes the data file";

    // Twelve jobs, one of them unlisted: eleven lines in the panel's layout, in UTF-8.
    const ToolRun jobs = run({"jobs", store()});
    ASSERT_EQ(jobs.exitCode, 0) << jobs.err;
    EXPECT_EQ(platform::splitLines(jobs.out).size(), 11u);
    EXPECT_NE(jobs.out.find("Fa\xC3\xA7"
                            "ade brackets"),
        std::string::npos);

    // The activity list as the panel reads it.
    const std::string activities = readFile(storeFile("activities.txt"));
    ASSERT_EQ(activities.substr(activities.size() - 2), "\r\n");
    const Activity first = parseActivityLine(platform::splitLines(activities).front());
    EXPECT_EQ(first.code, "ASSEMBLY");
    EXPECT_EQ(first.number, "00000001");

    writeFile(m_home.file("jobs.csv"), "prefix,code,name,detail,card,listed\n\"A,1\",J1,Weld,,11,yes\nB,J2,N,,12,no\n");
    writeFile(m_home.file("acts.txt"), "CODE0001 One 00000042;\r\n");
    const std::vector<std::string> fromFiles = {
        "init", store(), "--jobs", m_home.file("jobs.csv"), "--activities", m_home.file("acts.txt")};
    const std::string jobFile = readFile(storeFile("dep.dat"));
    const ToolRun again = run(fromFiles);
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_TRUE(isOneLine(again.err)) << again.err;
    EXPECT_NE(again.err.find(storeFile("dep.dat")), std::string::npos) << again.err;
    EXPECT_EQ(readFile(storeFile("dep.dat")), jobFile);
    EXPECT_EQ(readFile(storeFile("activities.txt")), activities);

    std::vector<std::string> forced = fromFiles;
    forced.emplace_back("--force");
    ASSERT_EQ(run(forced).exitCode, 0);
    EXPECT_EQ(readFile(storeFile("activities.txt")), "CODE0001 One 00000042;\r\n");
    const ToolRun replaced = run({"jobs", store()});
    EXPECT_EQ(replaced.out.substr(0, 8), "A,1     ") << "one listed job from the CSV";
    EXPECT_EQ(platform::splitLines(replaced.out).size(), 1u);
}

// This account's registration in $XDG_CONFIG_HOME, the machine's (--system) in the first folder of $XDG_CONFIG_DIRS.
TEST_F(StoreToolCli, RegisterWritesTheIniWhereThePanelLooksInThePanelsText)
{
    const std::string folder = m_home.file("B\xC3\xBCro"); // "Büro" in UTF-8
    ASSERT_EQ(run({"init", folder}).exitCode, 0);
    const ToolRun registered = run({"register", folder + "/"});
    ASSERT_EQ(registered.exitCode, 0) << registered.err;
    const std::string ini = dataHome() + "/config/Ovix_Shift-Loom/cwv5.ini";
    EXPECT_EQ(registered.out, "wrote " + ini + "\n");
    EXPECT_EQ(registered.err, "");
    const std::string text = readFile(ini);
    EXPECT_NE(text.find("\r\n[cardmain]\r\n" + m_home.path() + "/B\xFCro\r\n"), std::string::npos)
        << "one byte per character: " << text;
    EXPECT_EQ(run({"register", folder, "--system"}).out, "wrote " + dataHome() + "/xdg/Ovix_Shift-Loom/cwv5.ini\n");

    const ToolRun notAStore = run({"register", m_home.path()});
    EXPECT_EQ(notAStore.exitCode, 0);
    EXPECT_NE(notAStore.err.find("no cardward.ini"), std::string::npos);
    // A character outside the code page: the panel could not spell the folder.
    ASSERT_EQ(run({"init", m_home.file("\xE4\xB8\xAD")}).exitCode, 0);
    EXPECT_EQ(run({"register", m_home.file("\xE4\xB8\xAD")}).exitCode, 2);
}

TEST_F(StoreToolCli, RecordsAndReportDecodeThePanelsRecordsAndChangeNothing)
{
    ASSERT_EQ(run({"init", store()}).exitCode, 0);
    fs::create_directories(dataHome());
    const std::vector<std::vector<std::string>> readings = {{"records", store()},
        {"records", store(), "--json"},
        {"report", store()},
        {"report", store(), "--json", "--from", "20261201", "--to", "2026-12-31"}};
    const auto empty = listing();
    for (const std::vector<std::string>& arguments : readings)
        EXPECT_EQ(run(arguments).exitCode, 0) << arguments[0];
    EXPECT_EQ(listing(), empty) << "reading a store without a data file makes none";

    // Records as the panel's writer makes them, one of them with a negative number.
    FakeClock clock({2026, 12, 5, 8, 7, 59});
    std::string data = startRecord(clock.now(), "1234", "00001001", "00000001") + "\r\n";
    clock.set({2026, 12, 5, 9, 37, 0});
    data += inRecord(clock.now(), "4711") + "\r\n";
    data += stopRecord(clock.now(), "1234") + "\r\n";
    data += startRecord(clock.now(), "-5", "1", "1") + "\r\n";
    writeFile(storeFile("data"), data);
    const auto withData = listing();

    const ToolRun records = run({"records", store(), "--csv"});
    ASSERT_EQ(records.exitCode, 0) << records.err;
    const std::vector<std::string> rows = platform::splitLines(records.out);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1], "1,start,2026-12-05,08:07,0000000000001234,0000000000001001,0000000000000001,,CRLF,,");
    EXPECT_EQ(rows[2], "2,IN,2026-12-05,09:37,,,,00004711,CRLF,,");
    EXPECT_EQ(rows[4].substr(0, 10), "4,invalid,");
    EXPECT_TRUE(isOneLine(records.err)) << records.err;
    EXPECT_NE(records.err.find("1 of 4 lines invalid"), std::string::npos);

    const ToolRun report = run({"report", store(), "--csv"});
    ASSERT_EQ(report.exitCode, 0) << report.err;
    EXPECT_EQ(report.out.substr(report.out.find('\n') + 1),
        "total,1234,,1001,Frame welding,2026-12-05,2026-W49,90,01:30,,,,\ncard,1234,,,,,,90,01:30,,,,\n"
        "job,,,1001,Frame welding,,,90,01:30,,,,\n");
    EXPECT_NE(report.err.find("1 invalid line skipped"), std::string::npos);
    for (const std::vector<std::string>& arguments : readings)
        EXPECT_EQ(run(arguments).exitCode, 0) << arguments[0];
    EXPECT_EQ(listing(), withData);
}

TEST_F(StoreToolCli, ReportCarriesNamesTotalsAndLimitsAndKeepsFormulasAsText)
{
    // dep.dat and the names come from other systems: a job named =1+2, a name beginning with @.
    writeFile(m_home.file("jobs.csv"),
        "P,1,=1+2,,00001001,yes\nP,2,Fa\xC3\xA7"
        "ade,,00001002,yes\n");
    writeFile(m_home.file("names.csv"), "card,name\n1234,@Anna\n0042,J\xC3\xBCrgen\n");
    ASSERT_EQ(run({"init", store(), "--jobs", m_home.file("jobs.csv")}).exitCode, 0);
    writeFile(storeFile("data"),
        startRecord({2026, 12, 7, 8, 0, 0}, "1234", "1001", "1") + "\r\n"
            + startRecord({2026, 12, 7, 18, 30, 0}, "1234", "1002", "1") + "\r\n"
            + stopRecord({2026, 12, 7, 19, 0, 0}, "1234") + "\r\n"
            + startRecord({2026, 12, 8, 8, 0, 0}, "42", "1002", "1") + "\r\n"
            + startRecord({2026, 12, 8, 8, 0, 0}, "1234", "1001", "1") + "\r\n"
            + stopRecord({2026, 12, 8, 9, 0, 0}, "42") + "\r\n" + stopRecord({2026, 12, 8, 9, 0, 0}, "1234") + "\r\n");
    const std::vector<std::string> options = {
        "--names", m_home.file("names.csv"), "--day-limit", "10:00", "--week-limit", "10:30", "--csv"};
    std::vector<std::string> arguments = {"report", store()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const ToolRun report = run(arguments);
    ASSERT_EQ(report.exitCode, 0) << report.err;
    EXPECT_EQ(report.out,
        "\xEF\xBB\xBFkind,card,name,job_card,job_name,day,week,minutes,hhmm,start,line,day_over_limit,week_over_limit\n"
        "total,42,J\xC3\xBCrgen,1002,Fa\xC3\xA7"
        "ade,2026-12-08,2026-W50,60,01:00,,,,\n"
        "total,1234,'@Anna,1001,'=1+2,2026-12-07,2026-W50,630,10:30,,,yes,yes\n"
        "total,1234,'@Anna,1002,Fa\xC3\xA7"
        "ade,2026-12-07,2026-W50,30,00:30,,,yes,yes\n"
        "total,1234,'@Anna,1001,'=1+2,2026-12-08,2026-W50,60,01:00,,,,yes\n"
        "card,42,J\xC3\xBCrgen,,,,,60,01:00,,,,\ncard,1234,'@Anna,,,,,720,12:00,,,,\n"
        "job,,,1001,'=1+2,,,690,11:30,,,,\njob,,,1002,Fa\xC3\xA7"
        "ade,,,90,01:30,,,,\n");
    arguments.emplace_back("--summary");
    EXPECT_EQ(run(arguments).out,
        "\xEF\xBB\xBFkind,card,name,2026-12-07,2026-12-08,2026-W50,total,days_over_limit,weeks_over_limit\n"
        "card,42,J\xC3\xBCrgen,0,60,60,60,,\ncard,1234,'@Anna,660,60,720,720,2026-12-07,2026-W50\n"
        "total,,,660,120,780,780,,\n");
}

TEST_F(StoreToolCli, APageTakesTheFilesPlaceButNotThatOfAPipeOrALink)
{
    ASSERT_EQ(run({"init", store()}).exitCode, 0);
    writeFile(m_home.file("page.html"), "old");
    fs::create_symlink(m_home.file("page.html"), m_home.file("link.html"));
    ASSERT_EQ(run({"report", store(), "--html", m_home.file("link.html")}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(m_home.file("link.html")));
    EXPECT_EQ(readFile(m_home.file("page.html")).rfind("<!DOCTYPE html>", 0), 0u);
    // Written into, never replaced: a page that took the place of /dev/null would break the machine.
    const std::string pipe = m_home.file("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    writeFile(m_scratch.file("pipe.sh"),
        "XDG_DATA_HOME=" + quoted(dataHome()) + " " + quoted(SHIFTLOOM_STORE_TOOL) + " report " + quoted(store())
            + " --html " + quoted(pipe) + " & timeout 20 cat " + quoted(pipe) + " >" + quoted(m_scratch.file("read"))
            + "; wait $!\n");
    EXPECT_EQ(std::system(("sh " + quoted(m_scratch.file("pipe.sh"))).c_str()), 0);
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(readFile(m_scratch.file("read")).rfind("<!DOCTYPE html>", 0), 0u);
}

TEST_F(StoreToolCli, HelpManualPageAndCompletionTellEveryCommandAndOption)
{
    const std::string manual = readFile(SHIFTLOOM_SOURCE_DIR "/share/man/shift-loom-store.1");
    const std::string completion = SHIFTLOOM_SOURCE_DIR "/share/completion/shift-loom-store.bash";
    // The options the completion offers after a command: the words of its options="..." line.
    auto completed = [lines = platform::splitLines(readFile(completion))](const std::string& command) {
        for (const std::string& line : lines) {
            const std::size_t quote = line.find("options=\"");
            if (quote != std::string::npos
                && (line.find(" " + command + ")") < quote || line.find(" " + command + " |") < quote))
                return " " + line.substr(quote + 9, line.find('"', quote + 9) - quote - 9) + " ";
        }
        return std::string("(none)");
    };
    std::vector<std::vector<std::string>> helps = {{"--help"}};
    for (const tool::ToolCommand& command : tool::storeToolCommands())
        helps.push_back({std::string(command.name), "--help"});
    for (const std::vector<std::string>& arguments : helps) {
        const ToolRun help = run(arguments);
        EXPECT_EQ(help.exitCode, 0);
        for (const std::string& line : platform::splitLines(help.out))
            EXPECT_LE(line.size(), 50u) << "wrapped to $COLUMNS: " << line;
        if (arguments.size() == 1)
            continue;
        const std::string name = arguments[0];
        EXPECT_NE(manual.find(".B shift-loom-store " + name + "\n"), std::string::npos) << name;
        for (const tool::CommandOption& option : tool::parseCommandLine(arguments).command->options) {
            std::string roff = option.value.empty() ? ".B " : ".BI ";
            for (const char c : option.name)
                roff += c == '-' ? std::string("\\-") : std::string(1, c);
            EXPECT_NE(help.out.find(option.name), std::string::npos) << option.name;
            EXPECT_NE(manual.find(roff), std::string::npos) << name << " " << roff;
            EXPECT_NE(completed(name).find(" " + std::string(option.name) + " "), std::string::npos) << option.name;
        }
    }
    for (const char* status : {"\n.B 0\n", "\n.B 1\n", "\n.B 2\n"})
        EXPECT_NE(manual.find(status), std::string::npos) << status;

    // Bash completes a command and a command's option.
    writeFile(m_scratch.file("complete.sh"),
        "source " + quoted(completion)
            + "\nCOMP_WORDS=(shift-loom-store rep) "
              "COMP_CWORD=1; _shift_loom_store; echo ${COMPREPLY[*]}\nCOMP_WORDS=(shift-loom-store report x --w) "
              "COMP_CWORD=3; _shift_loom_store; echo ${COMPREPLY[*]}\n");
    ASSERT_EQ(
        std::system(("bash " + quoted(m_scratch.file("complete.sh")) + " >" + quoted(m_scratch.file("out"))).c_str()),
        0);
    EXPECT_EQ(readFile(m_scratch.file("out")), "report\n--week-limit\n");
}

TEST_F(StoreToolCli, BadInputGivesStatus2AndOneLineNamingTheFault)
{
    writeFile(m_home.file("binary.txt"), std::string("CODE0001 One 00000042;\r\n\0\x01", 26));
    writeFile(m_home.file("names.csv"), "1,A\n01,B\n");
    writeFile(m_home.file("names2.csv"), "card,name\nx1,A\n");
    const std::string made = m_home.file("new");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"init", made, "--jobs", m_home.file("missing.csv")}, m_home.file("missing.csv") + ": cannot read"},
        {{"init", made, "--activities", m_home.file("binary.txt")},
            m_home.file("binary.txt") + " line 2: control byte 0"},
        {{"init", m_home.file("binary.txt")}, m_home.file("binary.txt") + ": a file, not a folder"},
        {{"jobs", made}, made + ": no such folder"},
        {{"records", m_home.file("binary.txt")}, m_home.file("binary.txt") + ": a file, not a folder"},
        {{"jobs", m_home.path()}, m_home.path() + ": not a data store (it holds no cardward.ini"},
        {{"records", m_home.path()}, m_home.path() + ": not a data store"},
        {{"report", m_home.path()}, m_home.path() + ": not a data store"},
        {{"report", store(), "--from", "2026-13-01"}, "--from 2026-13-01: not a day"},
        {{"report", store(), "--from", "2026-12-08", "--to", "20261207"}, "2026-12-08 is after --to 20261207"},
        {{"report", store(), "--week-limit", "48"}, "--week-limit 48: not a time (expected hh:mm"},
        {{"report", store(), "--day-limit", "9:60"}, "--day-limit 9:60: not a time"},
        {{"report", store(), "--names", m_home.file("names.csv")}, "names.csv line 2: card 1 is named on line 1"},
        {{"report", store(), "--names", m_home.file("names2.csv")}, "names2.csv line 2: card \"x1\" is not a number"},
        {{"report", store(), "--summary", "--from", "2000-01-01", "--to", "2026-12-31"}, "a summary covers at most"},
        {{"report", store(), "--html", m_home.file("none/t.html")}, m_home.file("none/t.html") + ": cannot write"},
        {{"report", store(), "--html", m_home.path()}, m_home.path() + ": is a folder"},
        {{"report", store(), "--html", "-", "--json"}, "report: --json and --html exclude each other"},
        {{"records", store(), "--csv", "--json"}, "records: --csv and --json exclude each other"},
        {{"report", store(), "--frm", "2026-12-01"}, "report: no option --frm; did you mean --from?"},
        {{"jobs", store(), "--csv"}, "jobs: no option --csv; it is an option of records and report"},
        {{"report", store(), "--csv=yes"}, "report: --csv takes no value"},
        {{"report", store(), "--html"}, "report: --html needs a FILE"},
        {{"report", store(), "--to", "20261201", "--to=20261202"}, "report: --to is given twice"},
        {{"report", "--csv"}, "report: FOLDER is missing"},
        {{"jobs", store(), store()}, "jobs: one FOLDER only"},
        {{"reprot", store()}, "\"reprot\" is not a command; did you mean report?"},
        {{"frobnicate"}, "\"frobnicate\" is not a command; the commands are init, register"},
        {{"--csv", "report"}, "--csv: the command comes first"},
        {{}, "a command is required"},
    };
    ASSERT_EQ(run({"init", store()}).exitCode, 0);
    for (const auto& [arguments, expected] : cases) {
        const ToolRun result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << expected;
        EXPECT_TRUE(isOneLine(result.err)) << result.err;
        EXPECT_EQ(result.err.rfind("shift-loom-store: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(expected), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fileExists(made)) << "bad input leaves no half-made store";
    // A full report's page goes on without the shop's table where the period is too long for one.
    writeFile(storeFile("data"),
        startRecord({1026, 12, 5, 8, 0, 0}, "7", "1", "1") + "\r\n" + startRecord({2026, 12, 5, 8, 0, 0}, "7", "1", "1")
            + "\r\n");
    const ToolRun page = run({"report", store(), "--html", "-"});
    EXPECT_EQ(page.exitCode, 0) << page.err;
    EXPECT_NE(page.out.find("Left out: the period 1026-12-05 to 2026-12-05"), std::string::npos);
    EXPECT_FALSE(fileExists(m_home.file("dep.dat")));
}

} // namespace
} // namespace shiftloom::test
