// SPDX-License-Identifier: MIT
#include "AccessibleNames.h"

#include "win32/EdgeText.h"

#include <algorithm>
#include <string>

// The property ids and class ids of the annotation service are defined here, once.
#include <initguid.h>

#include <oleacc.h>

namespace shiftloom::win32 {
namespace {

/** The object of a window that screen readers read: its client area, the control itself. */
constexpr DWORD kClient = static_cast<DWORD>(OBJID_CLIENT);

} // namespace

AccessibleNames::AccessibleNames()
{
    void* services = nullptr;
    if (SUCCEEDED(
            CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices, &services)))
        m_services = static_cast<IAccPropServices*>(services);
}

AccessibleNames::~AccessibleNames()
{
    if (!m_services)
        return;
    // Annotations live as long as the window: taken back from those still there.
    const MSAAPROPID properties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
    for (const auto& [window, text] : m_shown) {
        if (IsWindow(window))
            m_services->ClearHwndProps(window, kClient, CHILDID_SELF, properties, 2);
    }
    m_services->Release();
}

void AccessibleNames::set(HWND window, const AccessibleText& text)
{
    if (!m_services || !window)
        return;
    auto shown =
        std::find_if(m_shown.begin(), m_shown.end(), [window](const auto& entry) { return entry.first == window; });
    if (shown == m_shown.end())
        shown = m_shown.insert(m_shown.end(), {window, AccessibleText{}});
    if (!text.name.empty() && text.name != shown->second.name)
        m_services->SetHwndPropStr(window, kClient, CHILDID_SELF, PROPID_ACC_NAME, wide(text.name).c_str());
    if (text.description != shown->second.description) {
        m_services->SetHwndPropStr(
            window, kClient, CHILDID_SELF, PROPID_ACC_DESCRIPTION, wide(text.description).c_str());
    }
    shown->second = text;
}

} // namespace shiftloom::win32
