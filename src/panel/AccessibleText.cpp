// SPDX-License-Identifier: MIT
#include "AccessibleText.h"

#include "panel/Panel.h"
#include "panel/TimeText.h"

#include <array>

namespace shiftloom {
namespace {

AccessibleText jobButtonText(const Panel& panel, int slot)
{
    const std::string number = std::to_string(slot + 1);
    const JobSlot& job = panel.slot(slot);
    if (job.isFree())
        return {"Job " + number + ": empty", "No job on this button: pick one in the job list first"};
    const bool running = panel.runningSlot() == slot;
    // The description comes padded with blanks to its field's width.
    std::string description = job.description.substr(0, job.description.find_last_not_of(' ') + 1);
    if (!description.empty())
        description += ". ";
    description += (running ? "Running, timed " : "Stopped, timed ") + timeText(job.elapsed);
    return {"Job " + number + ": " + job.job + (running ? ", running" : ""), std::move(description)};
}

std::string orNone(const std::string& value)
{
    return value.empty() ? std::string("none") : value;
}

struct DialogText
{
    std::string_view name;
    std::string_view description;
};

// By DialogControl, in its order.
constexpr std::array<DialogText, kDialogControlCount> kDialogTexts = {
    DialogText{"Locate data store", "Please locate Card-Warden data store"}, // LocateFrame
    DialogText{"Drive", "The drive that holds the data store"}, // DriveList
    DialogText{"Folder", "Open a folder with Enter or a double-click; a data store holds cardward.ini"}, // FolderTree
    DialogText{"", "Whether the folder chosen is a data store"}, // LocateStatus
    DialogText{"Or enter UNC path:", ""}, // PathCaption
    DialogText{"UNC path", "Or type the path of the data store"}, // PathBox
    DialogText{"Cancel", "Closes the dialog without a data store"}, // LocateCancel
    DialogText{"OK", "Uses the data store found"}, // LocateOk
    DialogText{"Activity", "Pick the activity of the job being started"}, // ActivityChoice
    DialogText{"Program icon", ""}, // AboutIcon
    DialogText{"", "The program's name"}, // AboutTitle
    DialogText{"", "The program's version"}, // AboutVersion
    DialogText{"", ""}, // AboutSeparator
    DialogText{"OK", "Closes the about box"}, // AboutOk
    DialogText{"System Info...", "Starts the system information program"}, // AboutSystemInfo
};

} // namespace

AccessibleText accessibleText(const Panel& panel, ControlRef ref)
{
    const std::string number = std::to_string(ref.index + 1);
    switch (ref.control) {
    case PanelControl::DragStrip:
        return {"Move the panel", "Drag with the mouse to move the panel"};
    case PanelControl::TitleWord:
        return {ref.index == 0 ? "Ovix" : "SHIFT-LOOM", "Click for the about box"};
    case PanelControl::CloseButton:
        return {"Hide the panel", "Timing goes on; the tray icon shows the panel again"};
    case PanelControl::Clock:
        return {"Clock " + timeText(panel.clockDisplay()), "Time of day"};
    case PanelControl::JobList:
        return {"Job list", "Pick a job to put it on the top job button"};
    case PanelControl::CardNumber:
        return {"Card-Warden card number", "Your card number, written into every record"};
    case PanelControl::ActivityCode:
        return {"Activity " + orNone(panel.activity().code), "The activity of the jobs you start"};
    case PanelControl::ActivityNumber:
        return {"Activity number " + orNone(panel.activity().number), "Written into each start record"};
    case PanelControl::JobButton:
        return jobButtonText(panel, ref.index);
    case PanelControl::ElapsedBox:
        return {"Time of job " + number, "Hours, minutes and seconds timed on job " + number};
    case PanelControl::StopAll:
        return {"STOP ALL", "Stops timing the running job"};
    case PanelControl::Total:
        return {"Total time", "The times of all jobs together"};
    case PanelControl::InKey:
        return {"IN", "Punches in with the number keyed"};
    case PanelControl::KeypadEcho:
        return {"Keypad entry", "A star for each digit keyed"};
    case PanelControl::DigitKey:
        return {"Key " + std::to_string(ref.index), "Keys the digit " + std::to_string(ref.index)};
    case PanelControl::HashKey:
        return {"Hash key", "Hides the panel"};
    case PanelControl::ClearKey:
        return {"Clear key", "Clears the digits keyed"};
    case PanelControl::TrayIcon:
        break;
    }
    return {"Ovix Tick-Fob", "Shows the panel"};
}

AccessibleText panelWindowAccessibleText(const Panel& panel)
{
    auto told = [&panel](PanelControl label) { return accessibleText(panel, {label}).name; };
    return {std::string(kPanelAccessibleName),
        told(PanelControl::Clock) + ". " + told(PanelControl::ActivityCode) + ", "
            + told(PanelControl::ActivityNumber)};
}

AccessibleText dialogAccessibleText(DialogControl control)
{
    const DialogText& text = kDialogTexts[static_cast<std::size_t>(control)];
    return {std::string(text.name), std::string(text.description)};
}

} // namespace shiftloom
