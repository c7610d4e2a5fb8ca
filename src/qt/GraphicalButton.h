// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QPushButton>

namespace shiftloom {

/**
 * A button whose back colour shows: painted flat in that colour with a raised edge two pixels
 * wide (its top and left in a lighter shade), sunk while pressed (the lighter shade at its bottom
 * and right), its text centred in the fore colour. Painted by itself rather than through a style
 * sheet, which would bring Qt's style sheet machinery into the process for a few buttons.
 */
class GraphicalButton final : public QPushButton
{
public:
    explicit GraphicalButton(QWidget* parent = nullptr);

    void setColours(const QColor& back, const QColor& fore);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_back;
    QColor m_fore;
};

} // namespace shiftloom
