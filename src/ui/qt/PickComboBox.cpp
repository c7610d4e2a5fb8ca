// SPDX-License-Identifier: MIT
#include "PickComboBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QStringListModel>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

namespace shiftloom {

/**
 * The combo box's text field. QComboBox takes the end of an edit (Enter, or the focus leaving)
 * with a text equal to an item as a choice of that item; the field marks that moment so that
 * the combo box can tell it from a real pick.
 */
class PickComboBox::EditBox final : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;
    bool finishingEdit() const { return m_finishing; }

protected:
    void focusOutEvent(QFocusEvent* event) override
    {
        const bool was = m_finishing;
        m_finishing = true;
        QLineEdit::focusOutEvent(event);
        m_finishing = was;
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool ends = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        const bool was = m_finishing;
        m_finishing = m_finishing || ends;
        QLineEdit::keyPressEvent(event);
        m_finishing = was;
    }

private:
    bool m_finishing = false;
};

PickComboBox::PickComboBox(QWidget* parent)
    : QComboBox(parent)
    , m_edit(new EditBox(this))
    , m_items(new QStringListModel(this))
{
    setModel(m_items);
    setEditable(true);
    setLineEdit(m_edit);
    // QComboBox gives its text field an inline completer, which would change the text behind the
    // handlers' back; the windows' combo boxes complete nothing.
    m_edit->setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMaxVisibleItems(8);
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true);
    // A line too long for the list is cut at its end, never shortened in its middle.
    view()->setTextElideMode(Qt::ElideNone);

    connect(this, &QComboBox::activated, this, [this](int index) {
        if (m_edit->finishingEdit() || index < 0)
            return;
        emit itemPicked(itemText(index));
    });
    connect(m_edit, &QLineEdit::textEdited, this, &PickComboBox::textTyped);
}

void PickComboBox::setItems(const QStringList& items)
{
    const QString text = m_edit->text();
    const int cursor = m_edit->cursorPosition();
    const bool blocked = blockSignals(true);
    m_items->setStringList(items);
    blockSignals(blocked);
    widenListFor(items);
    // Resetting the list makes QComboBox show its first item; the text is the program's.
    if (m_edit->text() != text) {
        m_edit->setText(text);
        m_edit->setCursorPosition(cursor);
    }
}

void PickComboBox::widenListFor(const QStringList& items)
{
    // The open list may grow wider than the box, so that whole lines can be read. Measuring
    // every item would cost as much as the fill itself; the longest one stands for them all.
    const QString* longest = nullptr;
    for (const QString& item : items) {
        if (!longest || item.size() > longest->size())
            longest = &item;
    }
    const int text = longest ? view()->fontMetrics().horizontalAdvance(*longest) : 0;
    // Other items of as many characters may be a little wider: some room to spare for them.
    const int margins = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4 * view()->frameWidth()
        + 8 * view()->fontMetrics().averageCharWidth();
    int wanted = text + margins;
    if (const QScreen* where = screen())
        wanted = std::min(wanted, where->availableGeometry().width());
    view()->setMinimumWidth(std::max(0, wanted));
}

void PickComboBox::showText(const QString& text)
{
    if (m_edit->text() == text)
        return;
    const int cursor = m_edit->cursorPosition();
    m_edit->setText(text);
    if (m_edit->hasFocus())
        m_edit->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
}

void PickComboBox::wheelEvent(QWheelEvent* event)
{
    // Turning the wheel over a closed list would pick its neighbouring items one by one.
    event->ignore();
}

} // namespace shiftloom
