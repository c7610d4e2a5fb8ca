// SPDX-License-Identifier: MIT
#include "ReliabilityFixture.h"

#include "panel/Panel.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace shiftloom::test {

namespace fs = std::filesystem;

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

std::size_t pointStride()
{
    return static_cast<std::size_t>(runSize("SHIFTLOOM_RELIABILITY_POINT_STRIDE", kSanitizerFactor));
}

void Tally::add(
    const RecordCheck& check, std::size_t sent, std::size_t found, std::size_t lost, const std::string& what)
{
    ++(*this)["runs"];
    for (const auto& [name, value] : {std::pair{"sent", sent},
             {"found", found},
             {"lost", lost},
             {"doubled", check.doubled},
             {"torn", check.torn},
             {"merged", check.merged},
             {"out_of_order", check.outOfOrder}})
        (*this)[name] += static_cast<double>(value);
    EXPECT_TRUE(lost == 0 && check.doubled == 0 && check.merged == 0 && check.outOfOrder == 0)
        << what << ": lost " << lost << ", doubled " << check.doubled << ", merged " << check.merged
        << ", out of order " << check.outOfOrder << " (torn " << check.torn << ")";
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
}

void ReliabilityFixture::TearDown()
{
    writeFile(home.file("stop"), ""); // a Card-Warden stand-in left by a failed assertion ends
}

std::string ReliabilityFixture::ownOf(int account) const
{
    return account == 0 ? ownFolder() : home.file("own-" + std::to_string(account));
}

std::string ReliabilityFixture::logPath(const WriterRun& run) const
{
    return home.file("log-" + std::to_string(run.writer) + "-" + std::to_string(run.first));
}

namespace {

/**
 * Puts `count` records of `writer` into the buffer folder `folder`, a file each, named as the
 * record writer names them: links to the files of `made`, made once (without forcing each to
 * the disk), so that a buffer of 200,000 records is there again in a moment for each round.
 */
void putRecordFiles(const std::string& folder, const std::string& made, int writer, int count)
{
    const bool make = !fs::exists(made);
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
    for (int seq = 0; seq < count; ++seq) {
        const std::string name =
            "/1" + std::string(19 - std::to_string(seq).size(), '0') + std::to_string(seq) + "-0000000000005eed.rec";
        if (make)
            writeFile(made + name, checkedRecordLine(writer, seq) + "\r\n");
        fs::create_hard_link(made + name, folder + name);
    }
}

} // namespace

void ReliabilityFixture::prepare(int old, int buffered, bool earlier)
{
    m_old = old;
    m_buffered = buffered;
    writeFile(dataPath(), checkedLines(kOldWriter, 0, old));
    fs::remove_all(bufferPath());
    fs::remove(paths.toHost(delivery::kJournal));
    fs::remove(paths.toHost(delivery::kEarlierJournal));
    fs::remove(earlierBufferPath());
    if (!earlier) {
        putRecordFiles(bufferPath(), home.file("made-" + std::to_string(buffered)), kBufferWriter, buffered);
        return;
    }
    if (m_bufferTextRecords != buffered)
        m_bufferText = checkedLines(kBufferWriter, 0, m_bufferTextRecords = buffered);
    writeFile(earlierBufferPath(), m_bufferText);
}

void ReliabilityFixture::startUp(int account, Tally& tally, bool appendOnly)
{
    const HostPathMapper accountPaths = hostPaths(home.path(), ownOf(account));
    HostFileOps accountFiles{accountPaths};
    FaultFileOps through(accountFiles);
    if (appendOnly)
        through.refuseOpens(storeFile(store(), kDataFileName), false);
    Panel panel(settings, through, clock, host);
    EXPECT_EQ(panel.load(), LoadOutcome::Normal);
    // What the start-up's delivery leaves waiting goes at the next clock tick.
    if (panel.recordWriter().pending()) {
        ++tally["start_ups_needing_another_try"];
        panel.recordWriter().settle(std::chrono::steady_clock::now() + std::chrono::seconds(3));
    }
    EXPECT_FALSE(panel.recordWriter().pending()) << "account " << account << ": records still wait";
    const delivery::DeliveryCounts counts = panel.recordWriter().counts();
    tally["presumed_whole"] += static_cast<double>(counts.presumedWhole);
    tally["in_doubt_written_again"] += static_cast<double>(counts.inDoubtWrittenAgain);
    tally["refragments"] += static_cast<double>(counts.refragments);
}

void ReliabilityFixture::expectSettled(Tally& tally, const std::string& what, int lastSent, bool appendOnly)
{
    SCOPED_TRACE(what);
    startUp(0, tally, appendOnly);
    const RecordCheck check(readFile(dataPath()));
    const std::size_t oldLost = check.lost(kOldWriter, 0, m_old - 1);
    const std::size_t lost =
        oldLost + check.lost(kBufferWriter, 0, m_buffered - 1) + check.lost(kRunWriter, 0, lastSent);
    const auto sent = static_cast<std::size_t>(m_buffered + lastSent + 1);
    const std::size_t oldFound = static_cast<std::size_t>(m_old) - oldLost;
    tally.add(check, sent, check.counts.size() - oldFound, lost, what);
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
    return driver("write " + store() + " " + ownOf(run.account) + " " + logPath(run) + " " + std::to_string(run.writer)
        + " " + std::to_string(run.first) + " " + std::to_string(run.count) + " " + std::to_string(run.pauseMs) + " "
        + run.options);
}

void ReliabilityFixture::startReader()
{
    fs::remove(home.file("stop"));
    m_reader = driver("reader " + store() + " " + home.file("reader.out") + " " + home.file("stop"));
}

std::unique_ptr<Spawned> ReliabilityFixture::startStartup(const std::string& options) const
{
    return driver("startup " + store() + " " + ownOf(0) + " " + home.file("startup.out") + " " + options);
}

Tally ReliabilityFixture::settleWriters(const std::vector<WriterRun>& runs, const std::string& before, bool appendOnly)
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
    std::set<int> accounts;
    for (const WriterRun& run : runs)
        accounts.insert(run.account);
    for (const int account : accounts)
        startUp(account, tally, appendOnly);
    tally["accounts"] = static_cast<double>(accounts.size());
    const RecordCheck check(before + readFile(dataPath()));
    std::size_t sent = 0, lost = 0;
    for (const WriterRun& run : runs) {
        const WriterLog log(readFile(logPath(run)), run.first);
        sent += static_cast<std::size_t>(log.lastSent - run.first + 1);
        lost += check.lost(run.writer, run.first, log.lastSent);
        for (const auto& [place, records] : log.places)
            tally["to_" + place] += static_cast<double>(records);
        tally["presumed_whole"] += static_cast<double>(log.presumedWhole);
        tally["in_doubt_written_again"] += static_cast<double>(log.inDoubtWrittenAgain);
        tally["refragments"] += static_cast<double>(log.refragments);
    }
    tally.add(check, sent, check.counts.size(), lost, "writers");
    return tally;
}

} // namespace shiftloom::test
