// SPDX-License-Identifier: MIT
#include "ReliabilityFixture.h"

#include "panel/Panel.h"

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
    return static_cast<std::size_t>(runSize("SHIFTLOOM_RELIABILITY_POINT_STRIDE", kSanitizerFactor));
}

void Tally::add(const RecordCheck& check, std::size_t lostRecords, const std::string& what, std::size_t tornAllowed)
{
    ++(*this)["runs"];
    (*this)["lost"] += static_cast<double>(lostRecords);
    (*this)["duplicated"] += static_cast<double>(check.doubled);
    (*this)["torn"] += static_cast<double>(check.torn);
    EXPECT_TRUE(lostRecords == 0 && check.doubled == 0 && check.torn <= tornAllowed && check.outOfOrder == 0)
        << what << ": lost " << lostRecords << ", doubled " << check.doubled << ", torn " << check.torn
        << ", out of order " << check.outOfOrder;
}

void Tally::report(const std::string& name) const
{
    const char* path = std::getenv("SHIFTLOOM_RELIABILITY_FIGURES");
    if (!path || !*path)
        return;
    std::ofstream out(path, std::ios::app);
    for (const auto& [what, value] : *this)
        out << name << '.' << what << ' ' << value << '\n';
}

void ReliabilityFixture::SetUp()
{
    ::setenv("XDG_DATA_HOME", home.path().c_str(), 1); // where the drivers map c:
    makeStore();
    useStore();
    writeFile(dataPath(), "");
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

void ReliabilityFixture::prepare(int old, int buffered)
{
    if (buffered != m_buffered)
        m_bufferText = checkedLines(kBufferWriter, 0, buffered);
    m_old = old;
    m_buffered = buffered;
    writeFile(dataPath(), checkedLines(kOldWriter, 0, old));
    writeFile(bufferPath(), m_bufferText);
    std::filesystem::remove(bufferFolder() + "/data.journal");
}

RecordCheck ReliabilityFixture::settled(const std::string& before)
{
    Panel panel(settings, realFiles, clock, host);
    EXPECT_EQ(panel.load(), LoadOutcome::Normal);
    EXPECT_FALSE(fileExists(bufferPath()));
    return RecordCheck(before + readFile(dataPath()));
}

void ReliabilityFixture::expectSettled(Tally& tally, const std::string& what, int lastPlaced, std::size_t tornAllowed)
{
    SCOPED_TRACE(what);
    const RecordCheck check = settled();
    const std::size_t lost = check.lost(kOldWriter, 0, m_old - 1) + check.lost(kBufferWriter, 0, m_buffered - 1)
        + check.lost(kRunWriter, 0, lastPlaced);
    tally.add(check, lost, what, tornAllowed);
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

void ReliabilityFixture::startReader(const char* lock)
{
    std::filesystem::remove(home.file("stop"));
    m_reader = driver("reader " + store() + " " + home.file("reader.out") + " " + home.file("stop") + " " + lock);
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
    Tally tally;
    if (m_reader) {
        writeFile(home.file("stop"), "");
        EXPECT_EQ(m_reader->wait(), 0);
        const std::string report = readFile(home.file("reader.out"));
        EXPECT_EQ(reported(report, "torn_tails"), 0) << "Card-Warden saw half a record under the lock";
        tally["reader_holds"] = static_cast<double>(reported(report, "holds"));
        tally["reader_held_ms"] = static_cast<double>(reported(report, "held_ms"));
    }
    const RecordCheck check = settled(before);
    std::size_t lost = 0;
    for (const WriterRun& run : runs) {
        const WriterLog log(readFile(logPath(run)), run.first);
        lost += check.lost(run.writer, run.first, log.lastPlaced);
        tally["records"] += log.lastPlaced - run.first + 1;
        tally["to_buffer"] += static_cast<double>(log.toBuffer);
        tally["held"] += static_cast<double>(log.held);
        tally["exits_needing_more_than_one_try"] += log.tries > 1;
    }
    tally.add(check, lost, "writers");
    return tally;
}

} // namespace shiftloom::test
