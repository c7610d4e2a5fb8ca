// SPDX-License-Identifier: MIT
#pragma once

#include "app/TextList.h"
#include "ui/Form1Design.h"

#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

enum class ControlProperty : std::uint8_t
{
    Caption, ///< caption of a label or button, text of a text box or combo box
    ToolTip,
    BackColour,
    Items, ///< the list of a combo box
};

/** Told of every change of the main window's controls, after it is made. */
class Form1Observer
{
public:
    virtual void controlChanged(ControlRef ref, ControlProperty property) = 0;

protected:
    ~Form1Observer() = default;
};

/**
 * The state of the main window's controls: captions, texts, tooltips, back colours and the job
 * list's items, the holders beyond the right edge included. The handlers keep the run's state
 * here, by the control names; the Qt window renders it and reports the worker's edits back, so
 * that the two agree at every moment. Texts are 8-bit (Windows-1252) bytes.
 *
 * A setter that does not change the value notifies nobody, like a caption set to what it shows.
 */
class Form1Model final
{
public:
    Form1Model();
    Form1Model(const Form1Model&) = delete;
    Form1Model& operator=(const Form1Model&) = delete;

    const std::string& caption(ControlRef ref) const;
    void setCaption(ControlRef ref, std::string_view text);
    const std::string& toolTip(ControlRef ref) const;
    void setToolTip(ControlRef ref, std::string_view text);
    Colour backColour(ControlRef ref) const;
    void setBackColour(ControlRef ref, Colour colour);

    /** The items of `Combo1`, in the order they were added. */
    const TextList& comboItems() const { return m_comboItems; }
    /** Replaces the whole list in one change. */
    void setComboItems(TextList items);

    void addObserver(Form1Observer* observer);
    void removeObserver(Form1Observer* observer);

private:
    struct State
    {
        std::string caption;
        std::string toolTip;
        Colour backColour;
    };
    void notify(ControlRef ref, ControlProperty property);

    std::vector<State> m_controls;
    TextList m_comboItems;
    std::vector<Form1Observer*> m_observers;
};

/**
 * The order in which a sorted combo box shows its items: by their text, byte by byte with the
 * letters A to Z compared without regard to case, and in the order of addition where two compare
 * equal. Returns the indexes of `items` in that order.
 */
std::vector<std::size_t> displayOrder(const TextList& items);
/** The items themselves in `displayOrder`. */
std::vector<std::string> sortedForDisplay(const TextList& items);

} // namespace shiftloom
