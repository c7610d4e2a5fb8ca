// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Form1Design.h"
#include "ui/Form1Model.h"
#include "ui/qt/TwipsScale.h"

#include <QWidget>
#include <vector>

class QLineEdit;
class QMouseEvent;
class QPushButton;

namespace shiftloom {

class Form1;
class Form1Label;
class PickComboBox;

/**
 * The main window `Form1` on the screen: a narrow panel with no title bar, no frame and no
 * taskbar button, rendering the model of its controls. Every control of the design is a real
 * widget at its place, the holders and the keypad beyond the right edge included: the window is
 * as wide as its visible part, so those are clipped away, yet the keyboard focus still walks
 * through them in the design's order.
 *
 * The widgets follow the model at every moment (the window observes it and updates the one
 * widget that changed), and every event of the worker goes to the handler of `Form1` named for
 * it. Edits of the text boxes and of the job list's text reach the model through those handlers.
 *
 * Widgets are named for their controls, "Command6_3" for element 3 of an array, so that tests
 * and tools can find them.
 */
class Form1Window final : public QWidget, private Form1Observer
{
    Q_OBJECT
public:
    explicit Form1Window(Form1& form, QWidget* parent = nullptr);
    ~Form1Window() override;
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    /** The widget of a control; null for the tray control, which lives in the notification area. */
    QWidget* control(ControlRef ref) const;
    const TwipsScale& scale() const { return m_scale; }

    /**
     * The window system closes the main window (or the session or a signal ends the program):
     * runs the unload step, once, and then tells `runEnded`.
     */
    void endRun();
    bool runHasEnded() const { return m_ended; }

signals:
    /** The unload step has run; the program should end now. */
    void runEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void controlChanged(ControlRef ref, ControlProperty property) override;

    void createControls();
    QWidget* createControl(const ControlDesign& design);
    void connectEvents();
    void setTabOrder();
    void showCaption(ControlRef ref);
    void showColours(ControlRef ref);
    void fillJobList();
    /** A mouse event on the drag strip: the pointer's place in twips from the strip's corner. */
    QPointF positionInDragStrip(const QMouseEvent* event) const;

    Form1& m_form;
    Form1Model& m_model;
    TwipsScale m_scale;
    /**
     * Captions the model changed while the window was hidden, shown when it is shown again: a
     * panel hidden in the tray lays out no text at its once-a-second tick.
     */
    std::vector<ControlRef> m_captionsToShow;
    std::vector<QWidget*> m_controls; ///< by `controlSlot()`
    PickComboBox* m_jobList = nullptr;
    QLineEdit* m_cardBox = nullptr;
    bool m_ended = false;
};

/** The object name of a control's widget: "Combo1", "Command6_3". */
QString controlObjectName(ControlRef ref);

} // namespace shiftloom
