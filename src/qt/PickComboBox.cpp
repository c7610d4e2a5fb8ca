// SPDX-License-Identifier: MIT
#include "PickComboBox.h"

#include "DesignLook.h"

#include <QAbstractListModel>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
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

/**
 * The items: either Qt strings, or 8-bit lines shown in a given order and converted one at a
 * time when the list asks for a text. Every row is checked against the lines as they are now.
 */
class PickComboBox::Items final : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setStrings(const QStringList& strings)
    {
        beginResetModel();
        m_strings = strings;
        m_lines = nullptr;
        m_order = {};
        endResetModel();
    }
    void setLines(const TextList& lines, std::vector<std::size_t> order)
    {
        beginResetModel();
        m_strings = {};
        m_lines = &lines;
        m_order = std::move(order);
        endResetModel();
    }
    /** The longest item, which stands for the width of them all. */
    QString longest() const
    {
        if (!m_lines) {
            const QString* found = nullptr;
            for (const QString& item : m_strings) {
                if (!found || item.size() > found->size())
                    found = &item;
            }
            return found ? *found : QString();
        }
        std::string_view found;
        for (std::string_view line : *m_lines)
            found = line.size() > found.size() ? line : found;
        return toQString(found);
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        if (parent.isValid())
            return 0;
        return static_cast<int>(m_lines ? m_order.size() : static_cast<std::size_t>(m_strings.size()));
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        const auto row = static_cast<std::size_t>(index.row());
        if (!m_lines)
            return row < static_cast<std::size_t>(m_strings.size()) ? QVariant(m_strings[index.row()]) : QVariant();
        if (row >= m_order.size() || m_order[row] >= m_lines->size())
            return {};
        return toQString((*m_lines)[m_order[row]]);
    }

private:
    QStringList m_strings;
    const TextList* m_lines = nullptr;
    std::vector<std::size_t> m_order;
};

PickComboBox::PickComboBox(QWidget* parent)
    : QComboBox(parent)
    , m_edit(new EditBox(this))
    , m_items(new Items(this))
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

    connect(this, &QComboBox::activated, this, [this](int index) {
        if (m_edit->finishingEdit() || index < 0)
            return;
        emit itemPicked(itemText(index));
    });
    connect(m_edit, &QLineEdit::textEdited, this, &PickComboBox::textTyped);
}

void PickComboBox::setItems(const QStringList& items)
{
    replaceItems([&] { m_items->setStrings(items); });
}

void PickComboBox::setLines(const TextList& lines, std::vector<std::size_t> order)
{
    replaceItems([&] { m_items->setLines(lines, std::move(order)); });
}

template<typename Fill> void PickComboBox::replaceItems(Fill fill)
{
    const QString text = m_edit->text();
    const int cursor = m_edit->cursorPosition();
    const bool blocked = blockSignals(true);
    fill();
    blockSignals(blocked);
    // Resetting the list makes QComboBox show its first item; the text is the program's.
    if (m_edit->text() != text) {
        m_edit->setText(text);
        m_edit->setCursorPosition(cursor);
    }
}

void PickComboBox::showPopup()
{
    // The open list is made the first time it opens: a panel whose list is never opened in a
    // run never builds it.
    if (!m_listMade) {
        m_listMade = true;
        if (auto* list = qobject_cast<QListView*>(view()))
            list->setUniformItemSizes(true);
        // A line too long for the list is cut at its end, never shortened in its middle.
        view()->setTextElideMode(Qt::ElideNone);
    }
    widenListFor(m_items->longest());
    QComboBox::showPopup();
}

void PickComboBox::widenListFor(const QString& longest)
{
    // The open list may grow wider than the box, so that whole lines can be read. Measuring
    // every item would cost as much as the fill itself; the longest one stands for them all.
    const int text = longest.isEmpty() ? 0 : view()->fontMetrics().horizontalAdvance(longest);
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
