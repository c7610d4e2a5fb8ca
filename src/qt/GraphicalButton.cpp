// SPDX-License-Identifier: MIT
#include "GraphicalButton.h"

#include <QPainter>
#include <QPolygonF>
#include <initializer_list>

namespace shiftloom {

namespace {
constexpr qreal kEdge = 2; // pixels
} // namespace

GraphicalButton::GraphicalButton(QWidget* parent)
    : QPushButton(parent)
{
}

void GraphicalButton::setColours(const QColor& back, const QColor& fore)
{
    if (back == m_back && fore == m_fore)
        return;
    m_back = back;
    m_fore = fore;
    update();
}

void GraphicalButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_back);

    // Each edge a trapezoid meeting its neighbours on the diagonal, drawn bottom, right, left,
    // top; raised, the top and left edges are the lighter ones, sunk the bottom and right.
    const bool sunk = isDown();
    const QColor lighter = m_back.lighter();
    const qreal w = width();
    const qreal h = height();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    auto edge = [&painter](std::initializer_list<QPointF> corners, const QColor& colour) {
        painter.setBrush(colour);
        painter.drawConvexPolygon(QPolygonF(corners));
    };
    const QColor& lowerRight = sunk ? lighter : m_back;
    const QColor& upperLeft = sunk ? m_back : lighter;
    edge({{kEdge, h - kEdge}, {0, h}, {w, h}, {w - kEdge, h - kEdge}}, lowerRight);
    edge({{w - kEdge, kEdge}, {w - kEdge, h - kEdge}, {w, h}, {w, 0}}, lowerRight);
    edge({{0, 0}, {0, h}, {kEdge, h - kEdge}, {kEdge, kEdge}}, upperLeft);
    edge({{0, 0}, {kEdge, kEdge}, {w - kEdge, kEdge}, {w, 0}}, upperLeft);

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(m_fore);
    const int inset = static_cast<int>(kEdge);
    painter.drawText(rect().adjusted(inset, inset, -inset, -inset), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

} // namespace shiftloom
