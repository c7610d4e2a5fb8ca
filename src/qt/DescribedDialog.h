// SPDX-License-Identifier: MIT
#pragma once

#include "panel/DialogLayout.h"
#include "panel/TwipsScale.h"

#include <QDialog>
#include <vector>

namespace shiftloom {

/**
 * A dialog built from its description (`dialogDesign`, `dialogControls`): its title, frame and
 * size, and a widget for each control at its place at the screen's scale, named by the name
 * table, in the description's focus order, the first of which has the focus. Lines are painted.
 * The dialogs derive from it and add what their controls do.
 */
class DescribedDialog : public QDialog
{
    Q_OBJECT
public:
    DescribedDialog(ProgramWindow window, QWidget* parent);

    /** The widget of a control; `control` must be one of this dialog's, and no line. */
    QWidget* control(DialogControl control) const;
    template<class T> T* controlAs(DialogControl which) const { return static_cast<T*>(control(which)); }

protected:
    /** Shows a control's text and enabling (a label's, a button's, a text box's). */
    void showState(DialogControl control, const ControlState& state);
    const TwipsScale& scale() const { return m_scale; }
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* createControl(const DialogControlDesign& design);

    ProgramWindow m_window;
    TwipsScale m_scale;
    std::vector<QWidget*> m_controls; ///< by place in `dialogControls(m_window)`
};

} // namespace shiftloom
