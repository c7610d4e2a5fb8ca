// SPDX-License-Identifier: MIT
#include "ReliabilityFixture.h"

#include "support/StoreBuilder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace shiftloom::test {

long long runSize(const char* name, long long fallback)
{
    const char* text = std::getenv(name);
    const long long value = text ? std::atoll(text) : 0;
    return value > 0 ? value : fallback;
}

void figure(const std::string& name, double value)
{
    if (const char* path = std::getenv("SHIFTLOOM_RELIABILITY_FIGURES"); path && *path)
        std::ofstream(path, std::ios::app) << name << ' ' << value << '\n';
}

long long reported(const std::string& report, const std::string& name)
{
    const std::size_t at = ("\n" + report).rfind("\n" + name + " ");
    return at == std::string::npos ? -1 : std::atoll(report.c_str() + at + name.size() + 1);
}

std::string reportedKinds(const std::string& report)
{
    const std::size_t at = report.rfind("kinds ") + 6;
    return report.substr(at, report.find('\n', at) - at);
}

std::size_t pointStride()
{
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<std::size_t>(runSize("SHIFTLOOM_RELIABILITY_POINT_STRIDE", 4));
#else
    return static_cast<std::size_t>(runSize("SHIFTLOOM_RELIABILITY_POINT_STRIDE", 1));
#endif
}

void Tally::add(const RecordCheck& check, std::size_t lostRecords)
{
    ++runs;
    lost += static_cast<double>(lostRecords);
    doubled += static_cast<double>(check.doubled());
    torn += static_cast<double>(check.torn);
}

void Tally::report(const std::string& name) const
{
    const std::pair<const char*, double> figures[] = {{"fault_points", points},
        {"runs", runs},
        {"lost", lost},
        {"duplicated", doubled},
        {"torn", torn},
        {"records", placed},
        {"to_buffer", toBuffer},
        {"held", held},
        {"exits_needing_more_than_one_try", lateExits}};
    for (const auto& [what, value] : figures)
        figure(name + "." + what, value);
    for (std::size_t op = 0; op < kFileOpCount; ++op) {
        if (injected[op] > 0)
            figure(name + ".injected." + fileOpName(static_cast<FileOp>(op)), injected[op]);
    }
}

void ReliabilityFixture::SetUp()
{
    // The drivers and the panels run in this process keep their buffer and spool in the private home.
    ::setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    ::setenv("XDG_STATE_HOME", home.file("state").c_str(), 1);
    writeFile(store() + "/cardward.ini", "[cardward]\r\n");
    writeFile(store() + "/dep.dat", jobFile(numberedJobs(3)));
    std::filesystem::create_directories(bufferFolder());
}

void ReliabilityFixture::TearDown()
{
    writeFile(home.file("stop"), ""); // a Card-Warden stand-in left by a failed assertion ends
}

std::string ReliabilityFixture::logPath(const WriterRun& run) const
{
    return home.file("log-" + std::to_string(run.writer) + "-" + std::to_string(run.first));
}

std::unique_ptr<Spawned> ReliabilityFixture::driver(const std::string& words) const
{
    std::vector<std::string> argv = {SHIFTLOOM_DRIVER};
    for (std::istringstream in(words); in >> argv.emplace_back();) { }
    argv.pop_back();
    return std::make_unique<Spawned>(argv);
}

std::unique_ptr<Spawned> ReliabilityFixture::startWriter(const WriterRun& run) const
{
    return driver("write " + store() + " " + logPath(run) + " " + std::to_string(run.writer) + " "
        + std::to_string(run.first) + " " + std::to_string(run.count) + " " + std::to_string(run.pauseMs) + " "
        + run.plan);
}

std::vector<WriterRun> ReliabilityFixture::runWriters(
    int writers, int records, int pauseMs, const std::function<void()>& meanwhile)
{
    std::vector<WriterRun> runs;
    std::vector<std::unique_ptr<Spawned>> processes;
    for (int w = 1; w <= writers; ++w) {
        runs.push_back({.writer = w, .first = 0, .count = records, .pauseMs = pauseMs, .plan = {}});
        processes.push_back(startWriter(runs.back()));
    }
    meanwhile();
    for (const auto& process : processes)
        EXPECT_EQ(process->wait(), 0) << "a writer ended with records held";
    return runs;
}

std::unique_ptr<Spawned> ReliabilityFixture::startReader(
    int maxHoldMs, int longHoldMs, int longEvery, const char* lock) const
{
    std::filesystem::remove(home.file("stop"));
    return driver("reader " + store() + " " + home.file("reader.out") + " " + home.file("stop") + " "
        + std::to_string(maxHoldMs) + " " + std::to_string(maxHoldMs / 8) + " " + std::to_string(longHoldMs) + " "
        + std::to_string(longEvery) + " " + lock);
}

std::string ReliabilityFixture::stopReader(Spawned& reader) const
{
    writeFile(home.file("stop"), "");
    EXPECT_EQ(reader.wait(), 0);
    const std::string report = readFile(home.file("reader.out"));
    EXPECT_EQ(reported(report, "torn_tails"), 0) << "Card-Warden saw half a record under the lock";
    return report;
}

std::unique_ptr<Spawned> ReliabilityFixture::startStartup(const std::string& plan) const
{
    return driver("startup " + store() + " " + home.file("startup.out") + " " + tracePath() + " " + plan);
}

std::string ReliabilityFixture::runStartup(const std::string& plan) const
{
    startStartup(plan)->wait();
    return readFile(home.file("startup.out"));
}

Tally ReliabilityFixture::settleWriters(const std::vector<WriterRun>& runs, const std::string& before)
{
    EXPECT_EQ(reported(runStartup(), "outcome"), 0);
    EXPECT_FALSE(fileExists(bufferPath()));
    const RecordCheck check(before + readFile(dataPath()));
    Tally tally;
    std::size_t lost = 0;
    for (const WriterRun& run : runs) {
        const WriterLog log(readFile(logPath(run)), run.first);
        lost += check.lost(run.writer, run.first, log.lastPlaced);
        tally.placed += log.lastPlaced - run.first + 1;
        tally.toBuffer += static_cast<double>(log.toBuffer);
        tally.held += static_cast<double>(log.held);
        tally.lateExits += log.tries > 1;
    }
    tally.add(check, lost);
    EXPECT_EQ(lost, 0u);
    EXPECT_EQ(check.doubled(), 0u);
    EXPECT_EQ(check.torn, 0u);
    EXPECT_EQ(check.outOfOrder, 0u);
    return tally;
}

} // namespace shiftloom::test
