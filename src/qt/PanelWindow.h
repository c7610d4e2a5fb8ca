// SPDX-License-Identifier: MIT
#pragma once

#include "panel/Panel.h"
#include "panel/PanelLayout.h"
#include "panel/PanelView.h"
#include "panel/TwipsScale.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class QLineEdit;
class QMouseEvent;
class QPushButton;

namespace shiftloom {

class ActivityDialog;
class PickComboBox;

/**
 * The panel on the screen: a narrow window with a thin fixed frame, no title bar and no taskbar
 * button, painting its `PanelView` of the `Panel`. Every control of the layout is a real widget at
 * its place, the keypad beyond the right edge included: the window is as wide as its visible
 * part, so that is clipped away, yet the keyboard focus still walks through it in the layout's
 * order.
 *
 * Every act of the worker goes to the panel operation it stands for, and the window paints what
 * the view says changed after each (nothing while the window is hidden; what changed meanwhile
 * when it is shown). Widgets carry the names of `objectNameOf`, so that tests and tools can find
 * them.
 */
class PanelWindow final : public QWidget, private PanelPainter
{
    Q_OBJECT
public:
    explicit PanelWindow(Panel& panel, QWidget* parent = nullptr);
    ~PanelWindow() override;
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    /** The widget of a control; null for the tray icon, which lives in the notification area. */
    QWidget* control(ControlRef ref) const;
    const TwipsScale& scale() const { return m_scale; }

    /** Shows the panel's state; does nothing while the window is hidden. */
    void render();
    /** A left click on the tray icon, or a second start of the program: shows the panel and reads the job list again.
     */
    void showFromTray();
    /** Shows the panel as it stands, then asks for the activity in the activity dialog over it. */
    std::optional<Activity> askActivity(const ActivityList& list, const Activity& current);

    /**
     * The run ends (the session ends or a signal asks the program to end): runs the end of the
     * run, once, and then tells `runEnded`.
     */
    void endRun();

signals:
    /** The end of the run has been recorded; the program should end now. */
    void runEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    QWidget* createControl(const ControlDesign& design);
    void connectEvents();
    void setTabOrder();
    /** Runs one panel operation for the worker's act, then renders the panel. */
    template<typename Act> void act(Act&& operation);
    // PanelPainter
    void paintJobList(const TextList& lines, const std::vector<std::size_t>& order) override;
    void paintControl(const ControlDesign& design, const ControlState& state) override;
    void showText(ControlRef ref, const std::string& text);
    void showColours(const ControlDesign& design, const ControlState& state);
    /** A mouse event on the drag strip: the pointer's place in twips from the strip's corner. */
    QPointF positionInDragStrip(const QMouseEvent* event) const;

    Panel& m_panel;
    TwipsScale m_scale;
    std::vector<QWidget*> m_controls; ///< by `controlIndex()`
    PickComboBox* m_jobList = nullptr;
    QLineEdit* m_cardBox = nullptr;
    ActivityDialog* m_activityDialog = nullptr;
    PanelView m_view;
    bool m_ended = false;
};

} // namespace shiftloom
