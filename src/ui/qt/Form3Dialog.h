// SPDX-License-Identifier: MIT
#pragma once

#include "ui/qt/TwipsScale.h"

#include <QDialog>

namespace shiftloom {

class Form3Model;
class PickComboBox;

/**
 * The activity dialog `Form3`, "SELECT ACTIVITY": one combo box listing Card-Warden's
 * activities. A pick goes to the model, which sets the main window's activity labels and hides
 * the dialog; the dialog then ends its modal showing. Closing it with its close box (or Esc)
 * ends the showing without a pick.
 *
 * The dialog widget outlives a showing: it is rendered afresh from the model it is bound to at
 * each showing, and the model decides when its list is read again.
 */
class Form3Dialog final : public QDialog
{
    Q_OBJECT
public:
    explicit Form3Dialog(QWidget* parent = nullptr);

    /** Renders `model` (its list and its text) and sends the worker's pick to it. */
    void bind(Form3Model& model);
    /** Forgets the model, which is about to go. */
    void unbind() { m_model = nullptr; }

    /** Shows the dialog modally, centred on `over` (or where the window system puts it). */
    int execCentredOn(const QWidget* over);

private:
    void picked(const QString& item);

    TwipsScale m_scale;
    PickComboBox* m_combo;
    Form3Model* m_model = nullptr;
};

} // namespace shiftloom
