// SPDX-License-Identifier: MIT
#include "Commands.h"

#include "app/JobFile.h"
#include "platform/Cp1252.h"
#include "tool/StoreFolder.h"
#include "tool/ToolError.h"

namespace shiftloom::tool {

int runJobs(const JobsOptions& options, std::ostream& out, std::ostream&)
{
    StoreReader store(options.folder);
    // The panel's own reader, opened so that a missing job file stays missing.
    const JobListResult list = readJobList(store.files(), store.storePath(kJobFileName), JobFileOpen::ReadOnly);
    if (list.error != platform::FileError::None)
        throw ToolError(
            store.hostPath(kJobFileName) + ": cannot read (" + std::string(platform::describe(list.error)) + ")");
    for (std::string_view line : list.lines)
        out << platform::cp1252ToUtf8(line) << '\n';
    return 0;
}

} // namespace shiftloom::tool
