// SPDX-License-Identifier: MIT
#include "ReliabilityFixture.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace shiftloom::test {

void ReliabilityFixture::SetUp()
{
    // The per-user spool of the panels run in this process lies in the private home too.
    ::setenv("XDG_STATE_HOME", home.file("state").c_str(), 1);
    writeFile(store() + "/cardward.ini", "[cardward]\r\n");
    writeFile(store() + "/dep.dat", jobFile(numberedJobs(3)));
    std::filesystem::create_directories(bufferFolder());
}

std::vector<std::string> ReliabilityFixture::environment() const
{
    return {"XDG_DATA_HOME=" + home.path(), "XDG_STATE_HOME=" + home.file("state"), "SHIFTLOOM_FAULT_PLAN="};
}

std::string ReliabilityFixture::logPath(int writer, int first) const
{
    return home.path() + "/log-" + std::to_string(writer) + "-" + std::to_string(first);
}

ChildProcess ReliabilityFixture::startWriter(const WriterRun& run) const
{
    std::vector<std::string> argv = {SHIFTLOOM_RECORD_WRITER,
        "--store",
        store(),
        "--writer",
        std::to_string(run.writer),
        "--first",
        std::to_string(run.first),
        "--count",
        std::to_string(run.count),
        "--delay-ms",
        std::to_string(run.delayMs),
        "--jitter-ms",
        std::to_string(run.jitterMs),
        "--log",
        logPath(run.writer, run.first)};
    if (!run.faults.empty()) {
        argv.emplace_back("--faults");
        argv.push_back(run.faults);
    }
    return ChildProcess(argv, environment());
}

WriterLog ReliabilityFixture::readLog(const WriterRun& run) const
{
    return readWriterLog(readFile(logPath(run.writer, run.first)), run.writer, run.first);
}

ChildProcess ReliabilityFixture::startReader(const std::vector<std::string>& options) const
{
    std::vector<std::string> argv = {SHIFTLOOM_CARDWARDEN_READER, "--store", store(), "--stop-file", home.file("stop")};
    argv.insert(argv.end(), options.begin(), options.end());
    std::filesystem::remove(home.file("stop"));
    std::filesystem::remove(home.file("reader.out"));
    return ChildProcess(argv, environment(), home.file("reader.out"));
}

std::string ReliabilityFixture::stopReader(ChildProcess& reader) const
{
    writeFile(home.file("stop"), "");
    EXPECT_EQ(reader.waitFor(std::chrono::seconds(30)), 0) << "the Card-Warden stand-in did not end";
    return readFile(home.file("reader.out"));
}

std::string ReliabilityFixture::runStartup(const std::string& faults) const
{
    const std::string output = home.file("startup.out");
    std::filesystem::remove(output);
    std::vector<std::string> argv = {SHIFTLOOM_STARTUP_REPLAY, "--store", store(), "--trace", tracePath()};
    if (!faults.empty()) {
        argv.emplace_back("--faults");
        argv.push_back(faults);
    }
    ChildProcess startup(argv, environment(), output);
    startup.wait();
    return readFile(output);
}

RecordCheck ReliabilityFixture::checkStore(const std::vector<std::string>& before) const
{
    std::vector<std::string> texts(before);
    texts.push_back(readFile(dataPath()));
    return checkDataFiles(texts);
}

long long outputValue(const std::string& output, const std::string& name)
{
    const std::string key = name + " ";
    std::size_t at = output.rfind("\n" + key);
    if (at != std::string::npos)
        ++at;
    else if (output.starts_with(key))
        at = 0;
    else
        return -1;
    return std::stoll(output.substr(at + key.size()));
}

std::string checkedLines(int writer, int first, int count)
{
    std::string text;
    for (int seq = first; seq < first + count; ++seq)
        text += checkedRecordLine({2026, 12, 5, 8, 7, 59}, writer, seq) + "\r\n";
    return text;
}

int pointStride()
{
#if defined(__SANITIZE_ADDRESS__)
    constexpr long long kDefault = 4;
#else
    constexpr long long kDefault = 1;
#endif
    return static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_POINT_STRIDE", kDefault));
}

bool permissionBitsDoNotBind()
{
    return ::geteuid() == 0;
}

} // namespace shiftloom::test
