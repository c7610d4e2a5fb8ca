// SPDX-License-Identifier: MIT
#include "Commands.h"

#include "app/StorePaths.h"
#include "platform/FileIo.h"
#include "tool/JobCsv.h"
#include "tool/JobRecordWriter.h"
#include "tool/SampleStore.h"
#include "tool/StoreFolder.h"
#include "tool/ToolError.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace shiftloom::tool {
namespace {

std::vector<JobSpec> loadJobs(const InitOptions& options, std::ostream& err)
{
    if (!options.jobsCsv)
        return sampleJobs();
    const std::string& path = *options.jobsCsv;
    JobCsvResult result = readJobCsv(readHostFile(path));
    if (result.problem)
        throw ToolError(path + " line " + std::to_string(result.problem->line) + ": " + result.problem->message);
    for (const std::string& warning : result.warnings)
        err << "shift-loom-store: " << path << ' ' << warning << '\n';
    return std::move(result.jobs);
}

// An activity list is copied as it stands, so it only has to be text: no byte below 0x20 but
// tab, carriage return and line feed (a zero byte or an escape marks a binary file).
std::string loadActivities(const InitOptions& options)
{
    if (!options.activities)
        return sampleActivities();
    const std::string& path = *options.activities;
    std::string bytes = readHostFile(path);
    std::size_t line = 1;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n')
            ++line;
        else if ((byte < 0x20 && c != '\t' && c != '\r') || byte == 0x7F)
            throw ToolError(path + " line " + std::to_string(line) + ": control byte " + std::to_string(byte)
                + ", not a text file");
    }
    return bytes;
}

bool exists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

} // namespace

int runInit(const InitOptions& options, std::ostream& out, std::ostream& err)
{
    // Everything is read and checked before the first file is written, so that bad input
    // leaves no half-made store behind.
    const std::vector<JobSpec> jobs = loadJobs(options, err);
    const std::string activities = loadActivities(options);

    const std::string folder = absoluteFolder(options.folder);
    if (exists(folder))
        requireFolder(folder);
    const std::string jobFile = folder + "/" + std::string(kJobFileName);
    const std::string activityFile = folder + "/" + std::string(kActivityFileName);
    const std::string marker = folder + "/" + std::string(kStoreMarkerName);
    if (!options.force) {
        for (const std::string& path : {jobFile, activityFile}) {
            if (exists(path))
                throw ToolError(path + ": exists already (--force replaces it)");
        }
    }

    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw ToolError(folder + ": cannot make the folder (" + error.message() + ")");
    // The marker may belong to a store that Card-Warden made; only its presence counts.
    if (!exists(marker))
        writeHostFileAtomically(marker, storeMarkerText());
    writeHostFileAtomically(jobFile, jobFileBytes(jobs));
    writeHostFileAtomically(activityFile, activities);

    const auto listed = std::count_if(jobs.begin(), jobs.end(), [](const JobSpec& job) { return job.listed; });
    out << "made data store " << folder << ": " << jobs.size() << " jobs (" << listed << " listed), "
        << platform::splitLines(activities).size() << " activities\n";
    return 0;
}

} // namespace shiftloom::tool
