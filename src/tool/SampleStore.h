// SPDX-License-Identifier: MIT
#pragma once

#include "tool/JobRecordWriter.h"

#include <string>
#include <vector>

namespace shiftloom::tool {

/** The jobs of the sample store: a dozen workshop jobs, one of them not listed. */
std::vector<JobSpec> sampleJobs();

/**
 * The activity list of the sample store, as Card-Warden writes it: an 8-character code, a
 * description, an 8-digit number and one closing character a line, lines ended by CR LF.
 */
std::string sampleActivities();

/** The marker file `cardward.ini` that makes a folder a Card-Warden data store. */
std::string storeMarkerText();

} // namespace shiftloom::tool
