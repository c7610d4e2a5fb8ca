// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"
#include "ui/Form1Model.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

/**
 * The activity dialog `Form3` ("SELECT ACTIVITY"): a list of Card-Warden's activities from
 * `activities.txt`. Picking one sets the activity labels `Label10` (code) and `Label11` (number)
 * of the main window and hides the dialog, which keeps its list for the next showing; the list
 * is read again only after the dialog was closed with its close box.
 */
class Form3Model final
{
public:
    Form3Model(Form1Model& form1, platform::FileOps& files);

    /** Runs when the dialog is created: fills the list and shows the current activity as the text. */
    void Form_Load();

    const std::vector<std::string>& items() const { return m_items; }
    /** The text shown by the dialog's combo box. */
    const std::string& text() const { return m_text; }

    /** The worker picked `item`: set the main window's activity labels and hide the dialog. */
    void Combo1_Click(std::string_view item);
    /** True from a pick until the dialog is shown again. */
    bool hidden() const { return m_hidden; }
    /** The dialog is shown (again). */
    void shown() { m_hidden = false; }

private:
    Form1Model& m_form1;
    platform::FileOps& m_files;
    std::vector<std::string> m_items;
    std::string m_text;
    bool m_hidden = false;
};

} // namespace shiftloom
