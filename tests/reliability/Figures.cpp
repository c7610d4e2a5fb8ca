// SPDX-License-Identifier: MIT
#include "Figures.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace shiftloom::test {

void reportFigure(std::string_view name, double value)
{
    std::cout << "[figure] " << name << " = " << value << std::endl;
    const char* path = std::getenv("SHIFTLOOM_RELIABILITY_FIGURES");
    if (path == nullptr || *path == '\0')
        return;
    std::ofstream out(path, std::ios::app);
    out << name << ' ' << value << '\n';
}

long long runSize(const char* name, long long fallback)
{
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0')
        return fallback;
    long long value = 0;
    const std::string_view view(text);
    const auto parsed = std::from_chars(view.data(), view.data() + view.size(), value);
    return parsed.ec == std::errc{} && value > 0 ? value : fallback;
}

} // namespace shiftloom::test
