// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::test {

/** A job as the test wants it in `dep.dat`. */
struct TestJob
{
    std::string prefix;
    std::string code;
    std::string name;
    std::string detail;
    std::string card;
    bool listed = true;
};

/** The 180-character text of a job record with every field at its place. */
std::string jobText(const TestJob& job);
/** One 188-byte record holding `text` (its length prefix as given, or the text's length). */
std::string jobRecord(std::string_view text, int declaredLength = -1);
/** A whole `dep.dat`: the header with `header` text, then one record per text. */
std::string jobFile(std::string_view header, const std::vector<std::string>& texts);
/** A whole `dep.dat` for `jobs`, with their count as the header. */
std::string jobFile(const std::vector<TestJob>& jobs);
/** `count` listed jobs named JOB00001… with card codes 1, 2, … */
std::vector<TestJob> numberedJobs(int count);

} // namespace shiftloom::test
