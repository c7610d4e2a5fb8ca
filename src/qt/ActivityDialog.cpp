// SPDX-License-Identifier: MIT
#include "ActivityDialog.h"

#include "panel/ActivityList.h"
#include "qt/DesignLook.h"
#include "qt/PickComboBox.h"

#include <QLineEdit>

namespace shiftloom {
ActivityDialog::ActivityDialog(QWidget* parent)
    : DescribedDialog(ProgramWindow::ActivityDialog, parent)
    , m_combo(controlAs<PickComboBox>(DialogControl::ActivityChoice))
{
    connect(m_combo, &PickComboBox::itemPicked, this, &ActivityDialog::picked);
}

std::optional<Activity> ActivityDialog::ask(const ActivityList& list, const Activity& current, const QWidget* over)
{
    if (&list != m_shownList) {
        // A list read afresh shows the current activity; a kept one what was picked in it last.
        m_shownList = &list;
        m_text = toQString(ActivityList::itemOf(current));
    }
    showList(list);
    m_picked.reset();
    centreOn(over);
    exec();
    if (!m_picked)
        m_shownList = nullptr; // closed with its close box: the panel reads the list again

    return m_picked;
}

void ActivityDialog::showList(const ActivityList& list)
{
    QStringList items;
    items.reserve(static_cast<qsizetype>(list.items().size()));
    for (const std::string& item : list.items())
        items.push_back(toQString(item));
    m_combo->setItems(items);
    m_combo->showText(m_text);
    m_combo->setFocus(Qt::OtherFocusReason);
    // The whole current activity selected, shown from its start: the code comes first, and an
    // item is wider than the box.
    QLineEdit* edit = m_combo->lineEdit();
    const auto length = static_cast<int>(edit->text().size());
    edit->setSelection(length, -length);
}

void ActivityDialog::centreOn(const QWidget* over)
{
    if (over && over->isVisible()) {
        // The native window first, so that its frame is known where the platform can tell it
        // before the first showing.
        winId();
        QRect target(QPoint(), frameGeometry().size());
        target.moveCenter(over->frameGeometry().center());
        move(target.topLeft());
    }
}

void ActivityDialog::picked(const QString& item)
{
    m_text = item;
    m_combo->showText(item);
    m_picked = ActivityList::activityOf(fromQString(item));
    accept();
}

} // namespace shiftloom
