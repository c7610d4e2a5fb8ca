// SPDX-License-Identifier: MIT
// cardwarden-reader: stands in for Card-Warden reading the data file `data` of a store. It takes
// the file's whole-file lock, as Card-Warden does, reads the whole file and holds the lock a
// while, over and over, until its stop file appears or SIGTERM arrives.
//
//     cardwarden-reader --store FOLDER [--stop-file PATH] [--max-hold-ms 300] [--max-gap-ms 50]
//                       [--long-hold-ms 0] [--long-every 0] [--exclusive] [--seed S]
//
// Each round waits a random gap (0 to max-gap), then holds the lock a random time (0 to
// max-hold); every long-every-th round holds it long-hold ms instead, longer than the panel's
// writer waits, so that records go to the offline buffer. A shared lock by default, on a file
// opened for reading. At the end it prints "holds", "held_ms", "busy" and "torn_tails": how
// often, under the lock, the file did not end with a whole line (a record written half).

#include "DriverOptions.h"

#include "platform/FileIo.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"

#include <chrono>
#include <csignal>
#include <iostream>
#include <random>
#include <sys/stat.h>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onTerminate(int)
{
    g_stop = 1;
}

bool exists(const std::string& path)
{
    struct stat info = {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace shiftloom;
    using std::chrono::milliseconds;
    const test::DriverOptions options(argc, argv);
    const std::string store = options.text("store");
    if (store.empty()) {
        std::cerr << "usage: cardwarden-reader --store FOLDER [--stop-file PATH] ...\n";
        return 2;
    }
    const std::string stopFile = options.text("stop-file");
    const long long maxHold = options.number("max-hold-ms", 300);
    const long long maxGap = options.number("max-gap-ms", 50);
    const long long longHold = options.number("long-hold-ms", 0);
    const long long longEvery = options.number("long-every", 0);
    const bool exclusive = options.has("exclusive");
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    ::sigaction(SIGTERM, &action, nullptr);

    const platform::PosixPathMapper paths(platform::xdgDataHome());
    platform::PosixFileOps files(paths);
    const std::string dataFile = store + "\\data";
    std::mt19937 random(static_cast<unsigned>(options.number("seed", ::getpid())));
    auto upTo = [&random](long long limit) { return std::uniform_int_distribution<long long>(0, limit)(random); };

    long long holds = 0;
    long long heldMs = 0;
    long long busy = 0;
    long long tornTails = 0;
    for (long long round = 1; g_stop == 0 && !exists(stopFile); ++round) {
        std::this_thread::sleep_for(milliseconds(upTo(maxGap)));
        platform::OpenFile file(files);
        if (file.open(dataFile, exclusive ? platform::OpenMode::ReadWrite : platform::OpenMode::Read)
            != platform::FileError::None)
            continue;
        if (file.tryLock(exclusive ? platform::LockKind::Exclusive : platform::LockKind::Shared)
            != platform::FileError::None) {
            ++busy;
            continue;
        }
        ++holds;
        std::string content;
        if (platform::readAll(files, file.handle(), content) == platform::FileError::None && !content.empty()
            && !content.ends_with("\r\n"))
            ++tornTails;
        const long long hold = longEvery > 0 && round % longEvery == 0 ? longHold : upTo(maxHold);
        std::this_thread::sleep_for(milliseconds(hold));
        heldMs += hold;
    }
    std::cout << "holds " << holds << "\nheld_ms " << heldMs << "\nbusy " << busy << "\ntorn_tails " << tornTails
              << std::endl;
    return 0;
}
