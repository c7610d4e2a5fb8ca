// SPDX-License-Identifier: MIT
#include "PanelLabel.h"

#include <QMouseEvent>

namespace shiftloom {

PanelLabel::PanelLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
}

void PanelLabel::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        m_leftDown = true;
    emit mousePressed(event);
}

void PanelLabel::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseMoved(event);
}

void PanelLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const bool click = event->button() == Qt::LeftButton && m_leftDown && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftDown = false;
    emit mouseReleased(event);
    if (click)
        emit clicked();
}

void PanelLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click is no new press and no click: the sequence is press,
    // release, click, then only the double-click and its release.
    event->accept();
}

} // namespace shiftloom
