// SPDX-License-Identifier: MIT
#pragma once

#include "app/SettingsStore.h"
#include "app/SlotTable.h"
#include "app/StartUp.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "timing/JobTiming.h"
#include "timing/TimeRecordWriter.h"
#include "ui/Form1Host.h"
#include "ui/Form1Model.h"
#include "ui/Form3Model.h"

#include <memory>
#include <string_view>

namespace shiftloom {

/** Service codes keyed on the hidden keypad; they act at the next clock tick. */
inline constexpr std::string_view kExitCode = "048840";
inline constexpr std::string_view kLocateCode = "073370";

/** Texts of the message box of a job picked twice. */
namespace messages {
inline constexpr std::string_view DuplicateTitle = "Can't assign that job";
inline constexpr std::string_view DuplicateText = "That job already assigned";
} // namespace messages

/**
 * The main window `Form1`: every event handler of the panel, over the model of its controls.
 * The window system (the Qt layer, or a test) delivers events by calling these handlers and
 * renders `model()`; what the handlers need of it goes through `Form1Host`.
 */
class Form1 final : private Form1Observer
{
public:
    Form1(SettingsStore& settings, platform::FileOps& files, const platform::Clock& clock, Form1Host& host);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    Form1Model& model() { return m_model; }
    const Form1Model& model() const { return m_model; }
    SlotTable& slotTable() { return m_slots; }
    TimeRecordWriter& recordWriter() { return m_writer; }

    // Start-up and end.
    LoadOutcome Form_Load();
    bool loaded() const { return m_loaded; }
    void Form_DblClick() { m_timing.Form_DblClick(); }
    void Form_Unload();

    // Timers.
    void Timer1_Timer();
    void Timer2_Timer();

    // Job buttons, STOP ALL, IN.
    void Command6_Click(int i) { m_timing.Command6_Click(i); }
    void Command2_Click() { m_timing.Command2_Click(); }
    void Command1_Click() { m_timing.Command1_Click(); }

    // The job list: a selected item (its text already in `Combo1`), and typing into it.
    void Combo1_Click();
    void Combo1_Change(std::string_view text);

    // The keypad, the "#" key and the close button.
    void Command3_Click(int digit);
    void Command5_Click();
    void Command4_Click();
    void Command7_Click();

    // Text boxes edited by the worker.
    void Text3_Change(std::string_view text);
    void Text3_LostFocus();
    void Text2_Change(int i, std::string_view text);
    void Text4_Change(std::string_view text);

    // The activity labels.
    void Label11_Click();

    // The drag strip (positions in twips within `Label6`) and the title.
    void Label6_MouseDown(int button, int shift, double x, double y);
    void Label6_MouseMove(int button, int shift, double x, double y);
    void Label6_MouseUp(int button, int shift, double x, double y);
    void Label4_Click(int index);

    // The tray icon.
    void Tray1_LeftClick();

    /** The activity dialog's behaviour, created (and loaded) at its first showing. */
    Form3Model& activityDialog();
    /** The activity dialog was closed with its close box: the next showing creates it afresh. */
    void activityDialogClosed();

private:
    void controlChanged(ControlRef ref, ControlProperty property) override;
    void clearKeypad();
    [[noreturn]] void endNow();

    Form1Model m_model;
    SettingsStore& m_settings;
    platform::FileOps& m_files;
    const platform::Clock& m_clock;
    Form1Host& m_host;
    SlotTable m_slots;
    TimeRecordWriter m_writer;
    JobTiming m_timing;
    std::unique_ptr<Form3Model> m_form3;
    bool m_loaded = false;
    bool m_locateOpen = false;
};

} // namespace shiftloom
