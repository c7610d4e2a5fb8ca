// SPDX-License-Identifier: MIT
#include "Form1.h"

#include "app/DataFolder.h"
#include "app/JobFile.h"
#include "app/LeadingNumber.h"
#include "ui/TimeText.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace shiftloom {
namespace {

constexpr std::size_t kJobKeyLength = 16;
constexpr std::size_t kSlotCardColumn = 27;
constexpr std::size_t kSlotCardLength = 8;
constexpr std::size_t kDescriptionLength = 41;

// The job key of a job line: its first 16 characters without blanks at either end.
std::string jobKeyOf(std::string_view line)
{
    std::string_view key = line.substr(0, kJobKeyLength);
    while (!key.empty() && key.front() == ' ')
        key.remove_prefix(1);
    while (!key.empty() && key.back() == ' ')
        key.remove_suffix(1);
    return std::string(key);
}

// A number read back from a caption, as the drag keeps its positions: leading-number rule.
double numberOf(std::string_view text)
{
    const DecimalNumber number = readLeadingNumber(text);
    const std::string digits = (number.integerDigits.empty() ? "0" : number.integerDigits) + "."
        + (number.fractionDigits.empty() ? "0" : number.fractionDigits);
    double value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return number.negative ? -value : value;
}

// A position as the decimal text a caption holds: single precision, no needless digits.
std::string positionText(double value)
{
    char buffer[32];
    const auto single = static_cast<float>(value);
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, single);
    return std::string(buffer, result.ptr);
}

} // namespace

Form1::Form1(SettingsStore& settings, platform::FileOps& files, const platform::Clock& clock, Form1Host& host)
    : m_settings(settings)
    , m_files(files)
    , m_clock(clock)
    , m_host(host)
    , m_slots(m_model)
    , m_writer(files, [this] { return GetDataFolder(m_model); })
    , m_timing(m_model, clock, host, m_writer)
{
    m_model.addObserver(this);
}

Form1::~Form1()
{
    m_model.removeObserver(this);
}

LoadOutcome Form1::Form_Load()
{
    const LoadOutcome outcome = StartUp(m_model, m_settings, m_files, m_clock, m_host).Form_Load();
    m_loaded = outcome != LoadOutcome::NoStart;
    return outcome;
}

void Form1::Form_Unload()
{
    m_timing.Form_Unload();
}

void Form1::endNow()
{
    // Nothing of the orderly exit runs, but records already made are not given up.
    m_writer.flushHeldWithin(kExitFlushBudget);
    m_host.endProgramNow();
    std::abort(); // a host that returns from endProgramNow breaks its contract
}

void Form1::clearKeypad()
{
    m_model.setCaption(ctl::Label1, "");
    m_model.setCaption(ctl::Text1, "");
}

void Form1::Timer1_Timer()
{
    // 1. The exit code: the tray icon goes, then the program ends at once.
    if (m_model.caption(ctl::Label1) == kExitCode) {
        m_host.showTrayIcon(false);
        endNow();
    }
    // 2. The locate code. Ticks go on while the dialog is open; they must not open a second one.
    if (m_model.caption(ctl::Label1) == kLocateCode && !m_locateOpen) {
        m_locateOpen = true;
        m_host.showLocateDialog(true);
        m_locateOpen = false;
        clearKeypad();
    }
    // 3. The running text: the keypad entry, or the time of the last running slot.
    std::string running = m_model.caption(ctl::Label1);
    for (int i = 0; i < SlotTable::count(); ++i) {
        if (m_slots.slot(i).SlotRunning())
            running = m_slots.slot(i).SlotElapsed();
    }
    // 4. The clock display advances by one second.
    m_model.setCaption(ctl::Label2, writeTimeText(addOneSecond(readTimeText(m_model.caption(ctl::Label2)))));
    // 5. The running time advances; in the first minute of each of its hours, and whenever no
    //    slot runs, the clock display is set from the system time.
    const TimeParts advanced = addOneSecond(readTimeText(running));
    if (advanced.minutes == 0)
        m_model.setCaption(ctl::Label2, timeOfDayText(m_clock.now()));
    const std::string advancedText = writeTimeText(advanced);
    // 6. The running slots take the new time; every slot's time goes into the total.
    TimeParts total;
    for (int i = 0; i < SlotTable::count(); ++i) {
        ButtonSlot slot = m_slots.slot(i);
        if (slot.SlotRunning())
            slot.setSlotElapsed(advancedText);
        const TimeParts elapsed = readTimeText(slot.SlotElapsed());
        total.hours += elapsed.hours;
        total.minutes += elapsed.minutes;
        total.seconds += elapsed.seconds;
    }
    // 7. Normalised; the hours are not wrapped. 8. Shown in the total box.
    total.minutes += total.seconds / 60;
    total.seconds %= 60;
    total.hours += total.minutes / 60;
    total.minutes %= 60;
    m_model.setCaption(ctl::Text4, writeTimeText(total));
    // 9. Records waiting for the store go over as soon as it takes them again.
    m_writer.handOverPending(std::chrono::steady_clock::now());
}

void Form1::Timer2_Timer()
{
    m_host.setTimer2Enabled(false);
    m_host.hideWindow();
}

void Form1::Combo1_Click()
{
    const std::string picked = m_model.caption(ctl::Combo1);
    if (picked == kSettingsItem) {
        m_host.showLocateDialog(false);
        return;
    }
    if (picked != kAddJobText) {
        const std::string key = jobKeyOf(picked);
        bool duplicate = false;
        for (int i = 0; i < SlotTable::count() && !duplicate; ++i)
            duplicate = m_slots.slot(i).SlotJob() == key;
        if (duplicate) {
            m_host.messageBox({std::string(messages::DuplicateText),
                std::string(messages::DuplicateTitle),
                MessageIcon::Information,
                MessageButtons::Ok,
                MessageAnswer::Ok});
        } else {
            // The row works most recent first: everything moves down one place and the job of
            // the bottom slot leaves the row; a running slot keeps running one place lower.
            for (int i = SlotTable::count() - 1; i >= 1; --i) {
                ButtonSlot to = m_slots.slot(i);
                const ButtonSlot from = m_slots.slot(i - 1);
                to.setSlotJob(from.SlotJob());
                to.setSlotCard(from.SlotCard());
                to.setSlotDescription(from.SlotDescription());
                to.setSlotElapsed(from.SlotElapsed());
                m_model.setBackColour(ctl::Command6(i), m_model.backColour(ctl::Command6(i - 1)));
            }
            ButtonSlot top = m_slots.slot(0);
            top.setSlotElapsed(kZeroTime);
            top.setIdle();
            top.setSlotJob(key);
            const std::string_view line(picked);
            top.setSlotCard(kSlotCardColumn - 1 < line.size() ? line.substr(kSlotCardColumn - 1, kSlotCardLength) : "");
            top.setSlotDescription(
                line.size() > kDescriptionLength ? line.substr(line.size() - kDescriptionLength) : line);
            m_slots.storeAll(m_settings);
        }
    }
    m_model.setCaption(ctl::Combo1, kAddJobText);
}

void Form1::Combo1_Change(std::string_view text)
{
    m_model.setCaption(ctl::Combo1, text);
}

void Form1::Command3_Click(int digit)
{
    m_model.setCaption(ctl::Label1, m_model.caption(ctl::Label1) + static_cast<char>('0' + digit));
    m_model.setCaption(ctl::Text1, m_model.caption(ctl::Text1) + '*');
}

void Form1::Command5_Click()
{
    m_model.setCaption(ctl::Text1, "");
    m_model.setCaption(ctl::Label1, "");
}

void Form1::Command4_Click()
{
    m_host.hideWindow();
}

void Form1::Command7_Click()
{
    m_host.hideWindow();
}

void Form1::Text3_Change(std::string_view text)
{
    m_model.setCaption(ctl::Text3, text);
}

void Form1::Text3_LostFocus()
{
    m_settings.write(keys::AutoCode, m_model.caption(ctl::Text3));
}

void Form1::Text2_Change(int i, std::string_view text)
{
    m_model.setCaption(ctl::Text2(i), text);
}

void Form1::Text4_Change(std::string_view text)
{
    m_model.setCaption(ctl::Text4, text);
}

void Form1::Label11_Click()
{
    m_settings.write(keys::ActivityNum, m_model.caption(ctl::Label11));
}

void Form1::Label6_MouseDown(int, int, double x, double y)
{
    m_model.setCaption(ctl::Label7, "Y");
    m_model.setCaption(ctl::Label8, positionText(x));
    m_model.setCaption(ctl::Label9, positionText(y));
}

void Form1::Label6_MouseMove(int, int, double x, double y)
{
    if (m_model.caption(ctl::Label7) != "Y")
        return;
    const double dx = x - numberOf(m_model.caption(ctl::Label8));
    const double dy = y - numberOf(m_model.caption(ctl::Label9));
    const ScreenPosition position = m_host.windowPosition();
    m_host.moveWindow({position.left + dx, position.top + dy});
}

void Form1::Label6_MouseUp(int, int, double, double)
{
    m_model.setCaption(ctl::Label7, "N");
}

void Form1::Label4_Click(int)
{
    m_host.showAboutBox();
}

void Form1::Tray1_LeftClick()
{
    // A click while the start-up still waits in its locate dialog must not show the window.
    if (!m_loaded)
        return;
    m_host.showWindow();
    fillJobList(m_model, m_files, GetDataFolder(m_model));
}

Form3Model& Form1::activityDialog()
{
    if (!m_form3) {
        m_form3 = std::make_unique<Form3Model>(m_model, m_files);
        m_form3->Form_Load();
    }
    m_form3->shown();
    return *m_form3;
}

void Form1::activityDialogClosed()
{
    m_form3.reset();
}

void Form1::controlChanged(ControlRef ref, ControlProperty property)
{
    if (property != ControlProperty::Caption)
        return;
    if (ref == ctl::Label10)
        m_settings.write(keys::ActivityCode, m_model.caption(ctl::Label10));
    else if (ref == ctl::Label11)
        m_settings.write(keys::ActivityNum, m_model.caption(ctl::Label11));
}

} // namespace shiftloom
