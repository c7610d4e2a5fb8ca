// SPDX-License-Identifier: MIT
#include "DisplayLossGuard.h"

#include <cstdlib>
#include <utility>

namespace shiftloom {
namespace {
std::function<void()>* g_unload = nullptr;
} // namespace

DisplayLossGuard::DisplayLossGuard(std::function<void()> unload)
    : m_unload(std::move(unload))
{
    g_unload = &m_unload;
    // Registered now, after the application's own objects: handlers run in the reverse order, so
    // this one runs before the window system's statics are torn down.
    std::atexit(&DisplayLossGuard::atExit);
}

DisplayLossGuard::~DisplayLossGuard()
{
    if (g_unload == &m_unload)
        g_unload = nullptr;
}

void DisplayLossGuard::atExit()
{
    if (!g_unload)
        return;
    const std::function<void()> unload = std::exchange(*g_unload, {});
    g_unload = nullptr;
    if (unload)
        unload();
}

} // namespace shiftloom
