// SPDX-License-Identifier: MIT
#pragma once

#include "ui/about/frmAbout.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace shiftloom {

/**
 * The about box as a Qt dialog: modeless, fixed size, a close button but no minimize or maximize
 * button, its client area placed at the design position, the controls at their design places
 * (twips at 96 dots per inch). OK, Enter and Esc close it, and closing destroys it. The widgets
 * carry the control names ("lblTitle", "cmdOK", ...) as object names.
 */
class FrmAboutDialog final : public QDialog
{
    Q_OBJECT

public:
    /** Creates and loads the box; `appTitle` is 8-bit text. Show it with show(). */
    FrmAboutDialog(SysInfoServices services, std::string_view appTitle, QWidget* parent = nullptr);

    const frmAbout& model() const { return m_model; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    frmAbout m_model;
};

} // namespace shiftloom
