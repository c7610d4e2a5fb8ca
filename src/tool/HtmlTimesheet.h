// SPDX-License-Identifier: MIT
#pragma once

#include "tool/Report.h"

#include <map>
#include <ostream>
#include <string>
#include <string_view>

namespace shiftloom::tool {

/** What a timesheet tells beside the figures of the report. */
struct TimesheetSource
{
    std::string dataFile; ///< host path of the data file, UTF-8
    bool dataFileMissing = false; ///< the store has no data file yet
    ReportOptions range; ///< --from and --to as given
    std::map<std::string, std::string> jobNames; ///< job card without leading zeros -> job name, UTF-8
};

/**
 * Writes a report as one self-contained HTML page for people: a summary, then for each card and
 * each week with time or an open start a row of days, each day a bar split by job card with the
 * day's total and the week's total beside them, then the same figures as a table. Open starts are
 * marked on their day and listed; invalid lines are counted and described with their line
 * numbers. The page loads nothing (no scripts, fonts, styles or images from elsewhere) and prints
 * on A4 landscape. Every text read from a file is escaped.
 */
void writeTimesheet(const TimeReport& report, const TimesheetSource& source, std::ostream& out);

/** Text for HTML element content and quoted attribute values: & < > " ' as references. */
std::string htmlEscaped(std::string_view text);

} // namespace shiftloom::tool
