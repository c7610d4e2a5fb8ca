// SPDX-License-Identifier: MIT
#pragma once

#include "tool/CardNames.h"
#include "tool/Report.h"
#include "tool/ShopSummary.h"

#include <map>
#include <ostream>
#include <string>

namespace shiftloom::tool {

/** What the outputs of a report tell beside its figures. */
struct ReportSource
{
    std::string dataFile; ///< host path of the data file, UTF-8
    bool dataFileMissing = false; ///< the store has no data file yet
    ReportOptions range; ///< --from, --to and the midnight rule as given
    Limits limits;
    std::map<std::string, std::string> jobNames; ///< job card without leading zeros -> job name, UTF-8
    CardNames cardNames;
    std::string made; ///< local date and time the report was made, "yyyy-mm-dd hh:mm"

    /** The name of a card or job card; empty when it has none. */
    const std::string& cardName(const std::string& card) const;
    const std::string& jobName(const std::string& jobCard) const;
};

/**
 * The report for people and programs: the minutes of each card on each job card and day with the
 * names, the totals of each card and each job card, and the open starts. Days and weeks above the
 * limits are marked (text) or flagged (CSV, JSON).
 */
void writeReportText(const TimeReport& report, const ReportSource& source, std::ostream& out);
void writeReportCsv(const TimeReport& report, const ReportSource& source, std::ostream& out);
void writeReportJson(const TimeReport& report, const ReportSource& source, std::ostream& out);

/** The shop's timesheet: the minutes of each card on each day and week of the period. */
void writeSummaryText(const ShopSummary& summary, const ReportSource& source, std::ostream& out);
void writeSummaryCsv(const ShopSummary& summary, const ReportSource& source, std::ostream& out);
void writeSummaryJson(const ShopSummary& summary, const ReportSource& source, std::ostream& out);

} // namespace shiftloom::tool
