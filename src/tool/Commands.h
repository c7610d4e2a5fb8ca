// SPDX-License-Identifier: MIT
#pragma once

#include "tool/OutputFormat.h"

#include <optional>
#include <ostream>
#include <string>

namespace shiftloom::tool {

/**
 * The commands of the store tool. Each returns the exit status for success (0) and throws
 * ToolError for a fault in what it was given; `out` receives the result, `err` notes and warnings.
 */

struct InitOptions
{
    std::string folder;
    std::optional<std::string> jobsCsv; ///< a job list in CSV; none: the sample jobs
    std::optional<std::string> activities; ///< an activity list copied as it stands; none: the sample
    bool force = false; ///< replace an existing job file and activity list
};
/** Makes a data store: the marker file, the job file and the activity list (not the data file). */
int runInit(const InitOptions& options, std::ostream& out, std::ostream& err);

struct RegisterOptions
{
    std::string folder;
    bool forEveryAccount = false; ///< the machine's registration rather than this account's (Linux)
};
/**
 * Writes Card-Warden's INI file where the panel looks for it (`platform::registrationFiles`),
 * naming `folder` as the data store.
 */
int runRegister(const RegisterOptions& options, std::ostream& out, std::ostream& err);

struct JobsOptions
{
    std::string folder;
};
/** Prints the job list as the panel fills it from the store's job file, in UTF-8. */
int runJobs(const JobsOptions& options, std::ostream& out, std::ostream& err);

struct RecordsOptions
{
    std::string folder;
    OutputFormat format = OutputFormat::Text;
};
/** Prints every line of the store's data file, decoded. */
int runRecords(const RecordsOptions& options, std::ostream& out, std::ostream& err);

struct ReportOptionsText
{
    std::string folder;
    std::optional<std::string> from; ///< yyyy-mm-dd or yyyymmdd
    std::optional<std::string> to;
    OutputFormat format = OutputFormat::Text;
    std::optional<std::string> html; ///< write the report as an HTML page to this file ("-": `out`)
    bool summary = false; ///< the shop's timesheet alone: a row per card, a column per day and week
    std::optional<std::string> names; ///< a CSV file of card numbers and names
    std::optional<std::string> dayLimit; ///< hh:mm
    std::optional<std::string> weekLimit;
    bool splitAtMidnight = false;
};
/**
 * Prints the minutes of each card on each job and day with the totals, and the starts still open;
 * with `summary`, the shop's timesheet instead; with `html`, writes them as a timesheet page. The
 * data file is read as a stream.
 */
int runReport(const ReportOptionsText& options, std::ostream& out, std::ostream& err);

} // namespace shiftloom::tool
