// SPDX-License-Identifier: MIT
// shift-loom-store: makes, registers and reads Card-Warden data stores for the panel's tests,
// demos and supervisors. Exit status: 0 success, 2 a fault in what it was given (one line on
// stderr naming the file and the fault), 1 anything else.

#include "tool/Commands.h"
#include "tool/ToolError.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

namespace {

using namespace shiftloom::tool;

constexpr const char* kToolName = "shift-loom-store";
constexpr int kBadInput = 2;

void addFormatFlags(CLI::App& command, OutputFormat& format)
{
    auto* csv = command.add_flag_callback(
        "--csv", [&format] { format = OutputFormat::Csv; }, "Print CSV");
    auto* json = command.add_flag_callback(
        "--json", [&format] { format = OutputFormat::Json; }, "Print JSON");
    csv->excludes(json);
}

CLI::Option* addFolder(CLI::App& command, std::string& folder, const char* what)
{
    return command.add_option("FOLDER", folder, what)->required()->type_name("PATH");
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Makes, registers and reads Card-Warden data stores for Ovix Shift-Loom.", kToolName};
    app.set_version_flag("--version", std::string(kToolName) + " " + SHIFTLOOM_VERSION);
    // At most one command; that there is one is checked after parsing, so that an unknown word
    // is reported by name rather than as a missing command.
    app.require_subcommand(0, 1);
    // A folder argument such as /srv/cardwarden is a path on Windows too, never an option.
    app.allow_windows_style_options(false);

    InitOptions init;
    CLI::App* initCommand = app.add_subcommand("init",
        "Make a data store: cardward.ini, dep.dat and activities.txt (the panel makes the data file). "
        "Without options, a sample store of a dozen workshop jobs and a few activities.");
    addFolder(*initCommand, init.folder, "Folder of the store, made when missing");
    initCommand
        ->add_option_function<std::string>(
            "--jobs",
            [&init](const std::string& path) { init.jobsCsv = path; },
            "Job list in CSV, UTF-8: prefix,code,name,detail,card,listed (listed: yes/no/1/0; a header row is "
            "allowed)")
        ->type_name("FILE.csv");
    initCommand
        ->add_option_function<std::string>(
            "--activities",
            [&init](const std::string& path) { init.activities = path; },
            "Activity list copied as it stands: 8-character code, text, 8-digit number, one closing character")
        ->type_name("FILE");
    initCommand->add_flag("--force", init.force, "Replace an existing dep.dat and activities.txt");

    RegisterOptions reg;
    CLI::App* registerCommand = app.add_subcommand("register",
        "Write cwv5.ini in the panel's Windows directory (on Linux $XDG_DATA_HOME/Ovix_Shift-Loom/drive_c/windows), "
        "naming FOLDER as the data store");
    addFolder(*registerCommand, reg.folder, "Folder of the store");

    JobsOptions jobs;
    CLI::App* jobsCommand =
        app.add_subcommand("jobs", "Print the job list as the panel fills it from dep.dat (changes nothing)");
    addFolder(*jobsCommand, jobs.folder, "Folder of the store");

    RecordsOptions records;
    CLI::App* recordsCommand = app.add_subcommand(
        "records", "Decode every line of the data file: start, stop, IN, or invalid with the reason (changes nothing)");
    addFolder(*recordsCommand, records.folder, "Folder of the store");
    addFormatFlags(*recordsCommand, records.format);

    ReportOptionsText report;
    CLI::App* reportCommand = app.add_subcommand("report",
        "Minutes per card, job card and day, from each start to the next start or stop of the card; "
        "open starts apart (changes nothing)");
    addFolder(*reportCommand, report.folder, "Folder of the store");
    reportCommand
        ->add_option_function<std::string>(
            "--from", [&report](const std::string& day) { report.from = day; }, "First day, yyyy-mm-dd or yyyymmdd")
        ->type_name("DATE");
    reportCommand
        ->add_option_function<std::string>(
            "--to", [&report](const std::string& day) { report.to = day; }, "Last day, yyyy-mm-dd or yyyymmdd")
        ->type_name("DATE");
    addFormatFlags(*reportCommand, report.format);
    reportCommand
        ->add_option_function<std::string>(
            "--html",
            [&report](const std::string& file) { report.html = file; },
            "Write a timesheet to FILE instead: one self-contained HTML page, bars and tables per card and week "
            "(- for the standard output)")
        ->type_name("FILE")
        ->excludes("--csv")
        ->excludes("--json");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& success) {
        return app.exit(success); // --help, --version
    } catch (const CLI::ParseError& error) {
        std::cerr << kToolName << ": " << error.what() << " (--help lists the commands and options)\n";
        return kBadInput;
    }

    if (app.get_subcommands().empty()) {
        std::cerr << kToolName
                  << ": a command is required: init, register, jobs, records or report (--help tells more)\n";
        return kBadInput;
    }

    try {
        if (*initCommand)
            return runInit(init, std::cout, std::cerr);
        if (*registerCommand)
            return runRegister(reg, std::cout, std::cerr);
        if (*jobsCommand)
            return runJobs(jobs, std::cout, std::cerr);
        if (*recordsCommand)
            return runRecords(records, std::cout, std::cerr);
        if (*reportCommand)
            return runReport(report, std::cout, std::cerr);
    } catch (const ToolError& error) {
        std::cerr << kToolName << ": " << error.what() << '\n';
        return kBadInput;
    } catch (const std::exception& error) {
        std::cerr << kToolName << ": " << error.what() << '\n';
        return 1;
    }
    return 1;
}
