// SPDX-License-Identifier: MIT
#include "Form1Label.h"

#include <QMouseEvent>

namespace shiftloom {

Form1Label::Form1Label(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
}

void Form1Label::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        m_leftDown = true;
    emit mousePressed(event);
}

void Form1Label::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseMoved(event);
}

void Form1Label::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const bool click = event->button() == Qt::LeftButton && m_leftDown && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftDown = false;
    emit mouseReleased(event);
    if (click)
        emit clicked();
}

void Form1Label::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click is no new press and no click: the sequence is press,
    // release, click, then only the double-click and its release.
    event->accept();
}

} // namespace shiftloom
