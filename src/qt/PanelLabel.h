// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

class QMouseEvent;

namespace shiftloom {

/**
 * A label of the windows. Unlike a plain QLabel it keeps the mouse to itself: a press, a move,
 * a release or a double-click on a label is the label's event, never the window's underneath
 * (a double-click on the window's bare background means "end the program"). It reports them as
 * signals; `clicked` is a press and release of the left button over the label.
 */
class PanelLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit PanelLabel(QWidget* parent = nullptr);

signals:
    void mousePressed(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool m_leftDown = false;
};

} // namespace shiftloom
