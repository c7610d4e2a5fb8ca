// SPDX-License-Identifier: MIT
// A second process for the lock tests, on the real file operations of its system:
//   lock-helper hold PATH shared|exclusive MS [delete]
//       takes the whole-file lock (waiting up to 10 s), makes PATH.held, holds the lock MS
//       milliseconds, then deletes PATH (with "delete") and lets go
//   lock-helper hold PATH noshare MS    (Windows) holds PATH open sharing nothing, as a program
//       that opens a file for itself alone does
//   lock-helper append PATH TAG COUNT   appends COUNT lines "TAG...TAG<n>" under the lock
//   lock-helper probe PATH              tries the exclusive lock once: 0 taken, 3 busy
//   lock-helper check PATH COUNT        0 when PATH holds COUNT lines of "append" from each of a
//                                       and b, every line whole, each writer's in order
#include "platform/FileIo.h"
#include "support/HostFileOps.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>

#ifdef _WIN32
#include "platform/win32/WideText.h"

#include <windows.h>
#endif

using namespace shiftloom::platform;
using namespace std::chrono_literals;

int main(int argc, char** argv)
{
    const std::string command = argc > 2 ? argv[1] : "";
    const std::string path = argc > 2 ? argv[2] : "";
    IdentityPathMapper identity;
    shiftloom::test::HostFileOps files(identity);
    shiftloom::platform::OpenFile file(files);
#ifdef _WIN32
    if (command == "hold" && argc == 5 && std::string(argv[3]) == "noshare") {
        const HANDLE alone =
            CreateFileW(toWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (alone == INVALID_HANDLE_VALUE)
            return 1;
        std::ofstream(path + ".held").put('1');
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(argv[4])));
        CloseHandle(alone);
        return 0;
    }
#endif
    if (command == "hold" && argc >= 5) {
        const bool shared = std::string(argv[3]) == "shared";
        if (file.open(path, shared ? OpenMode::Read : OpenMode::AppendCreate) != FileError::None
            || file.lock(shared ? LockKind::Shared : LockKind::Exclusive, 10s, 5ms) != FileError::None)
            return 1;
        std::ofstream(path + ".held").put('1');
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(argv[4])));
        return argc == 6 && files.remove(path) != FileError::None ? 2 : 0;
    }
    if (command == "append" && argc == 5) {
        for (int i = 0; i < std::stoi(argv[4]); ++i) {
            const std::string line = std::string(60, argv[3][0]) + std::to_string(1000 + i) + "\r\n";
            if (!appendLocked(files, path, line, LockWait{10s}).ok())
                return 2;
        }
        return 0;
    }
    if (command == "probe" && file.open(path, OpenMode::AppendCreate) == FileError::None) {
        const FileError error = file.tryLock(LockKind::Exclusive);
        return error == FileError::None ? 0 : error == FileError::Busy ? 3 : 1;
    }
    if (command == "check" && argc == 4) {
        std::ifstream in(path, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        std::map<char, int> next{{'a', 1000}, {'b', 1000}};
        for (const std::string& line : splitLines(text)) {
            if (line.size() != 64 || line.find_first_not_of(line[0]) != 60 || !next.contains(line[0])
                || line.substr(60) != std::to_string(next[line[0]]++)) {
                std::fprintf(stderr, "torn, lost or out of order: %s\n", line.c_str());
                return 1;
            }
        }
        const int end = 1000 + std::stoi(argv[3]);
        return text.ends_with("\r\n") && next == std::map<char, int>{{'a', end}, {'b', end}} ? 0 : 1;
    }
    return 64;
}
