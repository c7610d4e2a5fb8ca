// SPDX-License-Identifier: MIT
#include "Form1Model.h"

#include <algorithm>
#include <cstdint>

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

void Form1Model::setComboItems(TextList items)
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

namespace {

unsigned char foldCase(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

bool foldedLess(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return foldCase(x) < foldCase(y); });
}

// The first sixteen folded bytes of an item as two numbers that compare like the bytes, so that
// most comparisons of a job list (whose lines differ in their job key) are two integer compares.
struct SortKey
{
    std::uint64_t high = 0;
    std::uint64_t low = 0;
};

SortKey sortKeyOf(std::string_view item)
{
    SortKey key;
    for (std::size_t i = 0; i < 16; ++i) {
        const std::uint64_t byte = i < item.size() ? foldCase(item[i]) : 0;
        if (i < 8)
            key.high = (key.high << 8) | byte;
        else
            key.low = (key.low << 8) | byte;
    }
    return key;
}

} // namespace

std::vector<std::size_t> displayOrder(const TextList& items)
{
    std::vector<SortKey> keys;
    keys.reserve(items.size());
    for (std::string_view item : items)
        keys.push_back(sortKeyOf(item));
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // Equal keys (or a short item padded with zero bytes) fall back to the whole texts.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (keys[a].high != keys[b].high)
            return keys[a].high < keys[b].high;
        if (keys[a].low != keys[b].low)
            return keys[a].low < keys[b].low;
        return foldedLess(items[a], items[b]);
    });
    return order;
}

std::vector<std::string> sortedForDisplay(const TextList& items)
{
    std::vector<std::string> sorted;
    sorted.reserve(items.size());
    for (std::size_t index : displayOrder(items))
        sorted.emplace_back(items[index]);
    return sorted;
}

} // namespace shiftloom
