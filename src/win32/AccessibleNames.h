// SPDX-License-Identifier: MIT
#pragma once

#include "panel/AccessibleText.h"

#include <utility>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

struct IAccPropServices;

namespace shiftloom::win32 {

/**
 * The names and descriptions screen readers read for the controls of one window, given through
 * the system's annotation service (IAccPropServices) to each control's own accessible object, so
 * that a box or a list, which shows no label of its own, has a name, and a job button names its
 * job and running time beside the caption it shows. Where the service is missing, controls keep
 * what the system derives for them: a button its caption.
 *
 * The thread must have entered a COM apartment (CoInitializeEx) first.
 */
class AccessibleNames final
{
public:
    AccessibleNames();
    ~AccessibleNames();
    AccessibleNames(const AccessibleNames&) = delete;
    AccessibleNames& operator=(const AccessibleNames&) = delete;

    /**
     * Gives `window` the texts; a text that did not change is not given again (a screen reader
     * hears each change). An empty name leaves the window's own text its name.
     */
    void set(HWND window, const AccessibleText& text);

private:
    IAccPropServices* m_services = nullptr;
    std::vector<std::pair<HWND, AccessibleText>> m_shown;
};

} // namespace shiftloom::win32
