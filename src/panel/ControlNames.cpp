// SPDX-License-Identifier: MIT
#include "ControlNames.h"

#include <array>
#include <charconv>

namespace shiftloom {

std::string_view controlName(PanelControl control)
{
    // By PanelControl, in its order.
    static constexpr std::array<std::string_view, kPanelControlCount> names = {
        "Label6", // DragStrip
        "Label4", // TitleWord
        "Command7", // CloseButton
        "Label2", // Clock
        "Combo1", // JobList
        "Text3", // CardNumber
        "Label10", // ActivityCode
        "Label11", // ActivityNumber
        "Command6", // JobButton
        "Text2", // ElapsedBox
        "Command2", // StopAll
        "Text4", // Total
        "Label5", // SlotCard
        "cwdir", // DataFolder
        "Command1", // InKey
        "Command8", // IdleColourHolder
        "Label7", // DragFlag
        "Label8", // DragOriginX
        "Label9", // DragOriginY
        "Label1", // KeypadEntry
        "Text1", // KeypadEcho
        "Command3", // DigitKey
        "Command4", // HashKey
        "Command5", // ClearKey
        "Tray1", // TrayIcon
    };
    return names[static_cast<std::size_t>(control)];
}

std::string objectNameOf(ControlRef ref)
{
    std::string name(controlName(ref.control));
    if (ref.index >= 0) {
        name += '_';
        name += std::to_string(ref.index);
    }
    return name;
}

std::optional<ControlRef> controlNamed(std::string_view objectName)
{
    const std::size_t underscore = objectName.find('_');
    const std::string_view base = objectName.substr(0, underscore);
    int index = -1;
    if (underscore != std::string_view::npos) {
        const std::string_view digits = objectName.substr(underscore + 1);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (error != std::errc{} || end != digits.data() + digits.size())
            return std::nullopt;
    }
    for (std::size_t i = 0; i < kPanelControlCount; ++i) {
        const auto control = static_cast<PanelControl>(i);
        if (controlName(control) == base)
            return ControlRef{control, index};
    }
    return std::nullopt;
}

} // namespace shiftloom
