// SPDX-License-Identifier: MIT
#include "Figures.h"

#include "app/ActivityFile.h"
#include "app/JobFile.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"
#include "timing/TimeRecord.h"
#include "timing/TimeRecordWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace shiftloom::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr long kSanitizerFactor = 4; // the sanitizers' shadow memory and red zones
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr long kSanitizerFactor = 4;
#else
constexpr long kSanitizerFactor = 1;
#endif
#else
constexpr long kSanitizerFactor = 1;
#endif

constexpr long kMiB = 1024 * 1024;

/** What a run in a child process cost: its peak resident memory and its time. */
struct Cost
{
    int exitCode = -1;
    long peakKiB = 0;
    double seconds = 0;
};

/**
 * Runs `body` in a child process, so that its peak memory is its own, and gives it `limit`
 * seconds: a hang ends in SIGALRM. The child exits 0 when `body` returns true.
 */
Cost runMeasured(const std::function<bool()>& body, unsigned limit = 60)
{
    const auto begin = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(limit);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    struct rusage usage = {};
    ::wait4(child, &status, 0, &usage);
    Cost cost;
    cost.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    cost.peakKiB = usage.ru_maxrss;
    cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return cost;
}

class GiantInputTest : public ::testing::Test
{
protected:
    TempDir home;
    platform::PosixPathMapper paths{home.path()};
    platform::PosixFileOps files{paths};
    std::string store() const { return home.path() + "/store"; }

    void SetUp() override { writeFile(store() + "/cardward.ini", "[cardward]\r\n"); }

    void expectWithin(const Cost& cost, long boundMiB, const std::string& name)
    {
        EXPECT_EQ(cost.exitCode, 0) << name;
        EXPECT_LT(cost.peakKiB, boundMiB * kSanitizerFactor * 1024) << name;
        reportFigure("giant." + name + ".peak_mib", static_cast<double>(cost.peakKiB) / 1024.0);
        reportFigure("giant." + name + ".seconds", cost.seconds);
    }
};

// A dep.dat of 100 MB whose header claims a billion jobs and whose records are all empty (a
// sparse file): nothing is listed, the count stops at the file's end, and memory stays that of
// one chunk of records, not of the file or the count.
TEST_F(GiantInputTest, AHundredMegabyteJobFileClaimingABillionJobsListsNothingInLittleMemory)
{
    const std::string path = store() + "/dep.dat";
    writeFile(path, jobRecord("1000000000"));
    ASSERT_EQ(::truncate(path.c_str(), 100 * kMiB), 0);
    const Cost cost = runMeasured([&] {
        const JobListResult jobs = readJobList(files, store() + "\\dep.dat", JobFileOpen::ReadOnly);
        return jobs.error == platform::FileError::None && jobs.lines.empty();
    });
    expectWithin(cost, 48, "sparse_job_file");
}

// Every record of a 20 MB job file listed: memory in proportion to the lines listed.
TEST_F(GiantInputTest, AJobFileOfOnlyListedJobsTakesMemoryInProportionToTheList)
{
    const std::string record = jobRecord(jobText({"PREFIX01", "CODE0001", "Name", "Detail", "00000001"}));
    const std::size_t count = 20 * kMiB / record.size();
    std::string bytes = jobRecord(std::to_string(count));
    bytes.reserve((count + 1) * record.size());
    for (std::size_t i = 0; i < count; ++i)
        bytes += record;
    writeFile(store() + "/dep.dat", bytes);
    bytes = {};
    const Cost cost = runMeasured([&] {
        const JobListResult jobs = readJobList(files, store() + "\\dep.dat", JobFileOpen::ReadOnly);
        return jobs.lines.size() == count;
    });
    // 111,000 lines of 85 characters: about 9 MB of text, 20 MB with the strings' own bookkeeping.
    expectWithin(cost, 64, "listed_job_file");
}

// An activities.txt with one line of 10 MB: one item of the dialog's list, and memory a few
// times the line.
TEST_F(GiantInputTest, AnActivityListWithATenMegabyteLineGivesOneItem)
{
    writeFile(
        store() + "/activities.txt", "CODE0001" + std::string(10 * kMiB, 'x') + "00000042;\r\nREPAIR  00000002;\r\n");
    const Cost cost = runMeasured([&] {
        std::vector<std::string> items;
        const bool ok = readActivityItems(files, store() + "\\activities.txt", items) == platform::FileError::None;
        return ok && items.size() == 2 && items[0] == "CODE0001  :  00000042";
    });
    expectWithin(cost, 80, "activity_line");
}

// The keypad entry of a million digits: the IN record keeps all of them (the number rule cuts
// nothing) and reaches the data file whole, once.
TEST_F(GiantInputTest, AnInPunchOfAMillionDigitsIsWrittenWhole)
{
    const std::string keyed = "1" + std::string(999'999, '7');
    const Cost cost = runMeasured([&] {
        const std::string line = MakeInRecord({2026, 12, 5, 8, 7, 59}, keyed);
        if (line
            != "01"
               "20261205"
               "0807"
                + keyed + "00")
            return false;
        TimeRecordWriter writer(files, [this] { return store(); });
        return writer.AppendTimeRecord(line) == RecordPlace::Store && readFile(store() + "/data") == line + "\r\n";
    });
    expectWithin(cost, 48, "in_record_million_digits");
}

// A card number of 10,000 digits in a start and a stop record: all digits kept, in place.
TEST_F(GiantInputTest, ACardNumberOfTenThousandDigitsIsKeptWhole)
{
    const std::string card(10'000, '9');
    const std::string start = MakeStartRecord({2026, 12, 5, 8, 7, 59}, card, "567", "3");
    const std::string stop = MakeStopRecord({2026, 12, 5, 8, 7, 59}, card);
    EXPECT_EQ(start.size(), 64u - 16u + card.size());
    EXPECT_EQ(start.substr(16, card.size()), card);
    EXPECT_EQ(stop.substr(16, card.size()), card);
    TimeRecordWriter writer(files, [this] { return store(); });
    EXPECT_EQ(writer.AppendTimeRecord(start), RecordPlace::Store);
    EXPECT_EQ(readFile(store() + "/data"), start + "\r\n");
}

} // namespace
} // namespace shiftloom::test
