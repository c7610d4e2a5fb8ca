// SPDX-License-Identifier: MIT
// Giant inputs, each read in a child process of its own, so that its peak memory is its own.
#include "ReliabilityFixture.h"

#include "app/ActivityFile.h"
#include "app/JobFile.h"
#include "delivery/TimeRecordWriter.h"
#include "support/StoreBuilder.h"
#include "timing/TimeRecord.h"

#include <chrono>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace shiftloom::test {
namespace {

constexpr long kMiB = 1024 * 1024;

using GiantInputTest = ReliabilityFixture;

/** Runs `body` in a child (a hang ends in SIGALRM): it must return true within `boundMiB` of memory. */
void expectWithin(long boundMiB, const std::string& name, const std::function<bool()>& body)
{
    const auto begin = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(60);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    struct rusage usage = {};
    ::wait4(child, &status, 0, &usage);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name;
    EXPECT_LT(usage.ru_maxrss, boundMiB * kSanitizerFactor * 1024) << name;
    Tally figures;
    figures["peak_mib"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    figures["seconds"] = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    figures.report("giant." + name);
}

// A dep.dat of 100 MB whose header claims a billion jobs and whose records are all empty (a
// sparse file): nothing is listed, the count stops at the file's end, and memory stays that of
// one chunk of records.
TEST_F(GiantInputTest, AHundredMegabyteJobFileClaimingABillionJobsListsNothingInLittleMemory)
{
    const std::string path = store() + "/dep.dat";
    writeFile(path, jobRecord("1000000000"));
    ASSERT_EQ(::truncate(path.c_str(), 100 * kMiB), 0);
    expectWithin(48, "sparse_job_file", [&] {
        const JobListResult jobs = readJobList(realFiles, store() + "\\dep.dat", JobFileOpen::ReadOnly);
        return jobs.error == platform::FileError::None && jobs.lines.empty();
    });
}

// Every record of a 20 MB job file listed (111,000 lines of 85 characters: about 9 MB of text,
// 20 MB with the strings' own bookkeeping): memory in proportion to the list.
TEST_F(GiantInputTest, AJobFileOfOnlyListedJobsTakesMemoryInProportionToTheList)
{
    const std::string record = jobRecord(jobText({"PREFIX01", "CODE0001", "Name", "Detail", "00000001"}));
    const std::size_t count = 20 * kMiB / record.size();
    std::string bytes = jobRecord(std::to_string(count));
    for (std::size_t i = 0; i < count; ++i)
        bytes += record;
    writeFile(store() + "/dep.dat", bytes);
    bytes = {};
    expectWithin(64, "listed_job_file", [&] {
        return readJobList(realFiles, store() + "\\dep.dat", JobFileOpen::ReadOnly).lines.size() == count;
    });
}

// An activities.txt with one line of 10 MB: one item of the dialog's list, memory a few times the line.
TEST_F(GiantInputTest, AnActivityListWithATenMegabyteLineGivesOneItem)
{
    writeFile(
        store() + "/activities.txt", "CODE0001" + std::string(10 * kMiB, 'x') + "00000042;\r\nREPAIR  00000002;\r\n");
    expectWithin(80, "activity_line", [&] {
        std::vector<std::string> items;
        const bool ok = readActivityItems(realFiles, store() + "\\activities.txt", items) == platform::FileError::None;
        return ok && items.size() == 2 && items[0] == "CODE0001  :  00000042";
    });
}

// The keypad entry of a million digits: the IN record keeps all of them (the number rule cuts
// nothing) and reaches the data file whole, once.
TEST_F(GiantInputTest, AnInPunchOfAMillionDigitsIsWrittenWhole)
{
    const std::string keyed = "1" + std::string(999'999, '7');
    expectWithin(48, "in_record_million_digits", [&] {
        const std::string line = inRecord(kStamp, keyed);
        TimeRecordWriter writer(realFiles);
        writer.setStore(store());
        return line == "01202612050807" + keyed + "00" && writer.write(line) == RecordPlace::Store
            && readFile(store() + "/data") == line + "\r\n";
    });
}

} // namespace
} // namespace shiftloom::test
