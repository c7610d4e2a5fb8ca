// SPDX-License-Identifier: MIT
#include "Form1Model.h"

#include <algorithm>

namespace shiftloom {

Form1Model::Form1Model()
{
    const auto controls = form1Controls();
    m_controls.reserve(controls.size());
    for (const ControlDesign& design : controls) {
        m_controls.push_back(State{std::string(design.caption), std::string(design.toolTip), design.backColour});
    }
}

const std::string& Form1Model::caption(ControlRef ref) const
{
    return m_controls[controlSlot(ref)].caption;
}

void Form1Model::setCaption(ControlRef ref, std::string_view text)
{
    std::string& caption = m_controls[controlSlot(ref)].caption;
    if (caption == text)
        return;
    caption.assign(text);
    notify(ref, ControlProperty::Caption);
}

const std::string& Form1Model::toolTip(ControlRef ref) const
{
    return m_controls[controlSlot(ref)].toolTip;
}

void Form1Model::setToolTip(ControlRef ref, std::string_view text)
{
    std::string& toolTip = m_controls[controlSlot(ref)].toolTip;
    if (toolTip == text)
        return;
    toolTip.assign(text);
    notify(ref, ControlProperty::ToolTip);
}

Colour Form1Model::backColour(ControlRef ref) const
{
    return m_controls[controlSlot(ref)].backColour;
}

void Form1Model::setBackColour(ControlRef ref, Colour colour)
{
    Colour& current = m_controls[controlSlot(ref)].backColour;
    if (current == colour)
        return;
    current = colour;
    notify(ref, ControlProperty::BackColour);
}

void Form1Model::setComboItems(std::vector<std::string> items)
{
    m_comboItems = std::move(items);
    notify(ctl::Combo1, ControlProperty::Items);
}

void Form1Model::addObserver(Form1Observer* observer)
{
    m_observers.push_back(observer);
}

void Form1Model::removeObserver(Form1Observer* observer)
{
    std::erase(m_observers, observer);
}

void Form1Model::notify(ControlRef ref, ControlProperty property)
{
    // Copy: an observer may add or remove observers while it is told.
    const std::vector<Form1Observer*> observers = m_observers;
    for (Form1Observer* observer : observers)
        observer->controlChanged(ref, property);
}

std::vector<std::string> sortedForDisplay(std::vector<std::string> items)
{
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    std::stable_sort(items.begin(), items.end(), [&fold](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [&fold](char x, char y) {
            return static_cast<unsigned char>(fold(x)) < static_cast<unsigned char>(fold(y));
        });
    });
    return items;
}

} // namespace shiftloom
