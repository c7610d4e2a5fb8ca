// SPDX-License-Identifier: MIT
#include "PanelView.h"

#include "panel/JobListOrder.h"
#include "panel/Panel.h"
#include "panel/TimeText.h"

namespace shiftloom {
namespace {

// The text of a control whose text follows the model; none for one that keeps its design's.
std::optional<std::string> modelText(const Panel& panel, ControlRef ref)
{
    switch (ref.control) {
    case PanelControl::Clock:
        return timeText(panel.clockDisplay());
    case PanelControl::JobList:
        return panel.jobListText();
    case PanelControl::CardNumber:
        return panel.cardNumber();
    case PanelControl::ActivityCode:
        return panel.activity().code;
    case PanelControl::ActivityNumber:
        return panel.activity().number;
    case PanelControl::JobButton:
        return panel.slot(ref.index).job;
    case PanelControl::ElapsedBox:
        return timeText(panel.slot(ref.index).elapsed);
    case PanelControl::Total:
        return timeText(panel.totalElapsed());
    case PanelControl::KeypadEcho:
        return panel.keypadEcho();
    default:
        return std::nullopt;
    }
}

} // namespace

ControlState controlState(const Panel& panel, ControlRef ref)
{
    const ControlDesign& design = designOf(ref);
    ControlState state{std::string(design.caption),
        design.backColour,
        design.foreColour,
        true,
        design.visible,
        std::string(design.toolTip),
        accessibleText(panel, ref)};
    if (std::optional<std::string> text = modelText(panel, ref))
        state.text = std::move(*text);
    if (ref.control == PanelControl::JobButton) {
        state.back = panel.runningSlot() == ref.index ? RunningColour : IdleColour;
        state.toolTip = panel.slot(ref.index).description;
    }
    return state;
}

void typeInto(Panel& panel, PanelView& view, ControlRef ref, std::string_view text)
{
    switch (ref.control) {
    case PanelControl::CardNumber:
        panel.setCardNumber(text);
        break;
    case PanelControl::ElapsedBox:
        panel.editElapsed(ref.index, text);
        break;
    case PanelControl::JobList:
        panel.typeInJobList(text);
        break;
    default:
        return;
    }
    view.edited(panel, ref);
}

std::string trayToolTip()
{
    const std::string_view text = designOf({PanelControl::TrayIcon}).toolTip.substr(0, 61);
    return text.empty() ? std::string() : " " + std::string(text) + " ";
}

PanelView::PanelView()
    : m_shown(panelControls().size())
{
}

PanelView::Changes PanelView::update(const Panel& panel)
{
    Changes changes;
    const auto controls = panelControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        ControlState now = controlState(panel, controls[i].ref);
        if (m_shown[i] != now) {
            m_shown[i] = std::move(now);
            changes.controls.push_back(i);
        }
    }
    changes.jobList = m_shownJobList != panel.jobListVersion();
    m_shownJobList = panel.jobListVersion();
    return changes;
}

bool PanelView::render(const Panel& panel, PanelPainter& painter)
{
    const Changes changes = update(panel);
    if (changes.jobList)
        painter.paintJobList(panel.jobList(), displayOrder(panel.jobList()));
    const auto designs = panelControls();
    for (const std::size_t i : changes.controls)
        painter.paintControl(designs[i], state(i));
    return !changes.controls.empty();
}

const ControlState& PanelView::state(std::size_t index) const
{
    static const ControlState none;
    const std::optional<ControlState>& shown = m_shown.at(index);
    return shown ? *shown : none;
}

void PanelView::edited(const Panel& panel, ControlRef ref)
{
    m_shown[controlIndex(ref)] = controlState(panel, ref);
}

void PanelView::forget(ControlRef ref)
{
    m_shown[controlIndex(ref)].reset();
}

} // namespace shiftloom
