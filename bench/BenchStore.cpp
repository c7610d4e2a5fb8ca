// SPDX-License-Identifier: MIT
#include "BenchStore.h"

#include "support/StoreBuilder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include <sys/vfs.h>

namespace shiftloom::bench {

std::string benchWorkFolder()
{
    const char* chosen = std::getenv("SHIFTLOOM_BENCH_DIR");
    if (chosen && *chosen)
        return chosen;
    return SHIFTLOOM_BENCH_DEFAULT_DIR;
}

BenchDir::BenchDir()
{
    const std::string base = benchWorkFolder();
    std::filesystem::create_directories(base);
    std::string pattern = base + "/run-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("cannot make a folder in " + base);
    m_path = buffer.data();
}

BenchDir::~BenchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string jobFileBytes(int jobs)
{
    static constexpr const char* kWords[] = {"Assembly",
        "Repair",
        "Welding",
        "Paint",
        "Inspection",
        "Packing",
        "Service",
        "Drilling",
        "Milling",
        "Testing",
        "Wiring",
        "Cleaning",
        "Transport",
        "Design"};
    constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(jobs));
    for (int i = 1; i <= jobs; ++i) {
        const auto n = static_cast<std::size_t>(i);
        char code[16];
        std::snprintf(code, sizeof code, "J%07d", i);
        char card[16];
        std::snprintf(card, sizeof card, "%d", i);
        test::TestJob job;
        job.prefix = "WS" + std::to_string(n % 97);
        job.code = code;
        job.name = std::string(kWords[(n * 7) % kWordCount]) + " " + std::to_string(n % 1013);
        job.detail = std::string(kWords[(n * 3) % kWordCount]) + " line " + std::to_string(n % 31);
        job.card = card;
        job.listed = i % 50 != 0;
        texts.push_back(test::jobText(job));
    }
    return test::jobFile(std::to_string(jobs), texts);
}

void writeBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string fileSystemType(const std::string& path)
{
    struct statfs info = {};
    if (::statfs(path.c_str(), &info) != 0)
        return "unknown";
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53UL:
        return "ext4";
    case 0x01021994UL:
        return "tmpfs";
    case 0x58465342UL:
        return "xfs";
    case 0x9123683EUL:
        return "btrfs";
    case 0x794C7630UL:
        return "overlayfs";
    case 0x65735546UL:
        return "fuse";
    case 0x6969UL:
        return "nfs";
    case 0xFF534D42UL:
        return "cifs";
    default: {
        char hex[32];
        std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(info.f_type));
        return hex;
    }
    }
}

} // namespace shiftloom::bench
