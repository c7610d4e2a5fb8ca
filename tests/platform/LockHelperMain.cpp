// SPDX-License-Identifier: MIT
// A second process for the lock tests, on the real file operations of its system:
//   lock-helper hold PATH shared|exclusive MS   takes the whole-file lock (waiting up to 10 s),
//                                               makes PATH.held, holds the lock MS milliseconds
//   lock-helper append PATH TAG COUNT           appends COUNT lines "TAG...TAG<n>" under the lock
//   lock-helper probe PATH                      tries the exclusive lock once: 0 taken, 3 busy
#include "platform/FileIo.h"
#include "support/HostFileOps.h"

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

using namespace shiftloom::platform;

int main(int argc, char** argv)
{
    const std::string command = argc > 2 ? argv[1] : "";
    const std::string path = argc > 2 ? argv[2] : "";
    IdentityPathMapper identity;
    shiftloom::test::HostFileOps files(identity);
    if (command == "hold" && argc == 5) {
        const bool shared = std::string(argv[3]) == "shared";
        OpenFile file(files);
        if (file.open(path, shared ? OpenMode::Read : OpenMode::AppendCreate) != FileError::None
            || file.lock(shared ? LockKind::Shared : LockKind::Exclusive,
                   std::chrono::seconds(10),
                   std::chrono::milliseconds(5))
                != FileError::None)
            return 1;
        std::ofstream(path + ".held").put('1');
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(argv[4])));
        return 0;
    }
    if (command == "append" && argc == 5) {
        for (int i = 0; i < std::stoi(argv[4]); ++i) {
            const std::string line = std::string(60, argv[3][0]) + std::to_string(1000 + i) + "\r\n";
            if (!appendLocked(files, path, line, LockWait{std::chrono::seconds(10)}).ok())
                return 2;
        }
        return 0;
    }
    if (command == "probe" && argc == 3) {
        OpenFile file(files);
        if (file.open(path, OpenMode::AppendCreate) != FileError::None)
            return 1;
        const FileError error = file.tryLock(LockKind::Exclusive);
        return error == FileError::None ? 0 : error == FileError::Busy ? 3 : 1;
    }
    return 64;
}
