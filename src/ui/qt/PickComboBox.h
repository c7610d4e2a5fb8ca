// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>

class QStringListModel;

namespace shiftloom {

/**
 * An editable combo box that tells a pick of an item from typing, as the windows' handlers
 * expect: `itemPicked` for a click on an item of the list or a keyboard choice (the arrow keys),
 * `textTyped` for every edit of the text by the worker. Nothing else picks: typed text that
 * happens to equal an item, the mouse wheel, or the text set by the program.
 *
 * The list is a plain string list replaced in one step, so that thousands of items load at once.
 * There is no completion and Enter adds nothing to the list.
 */
class PickComboBox final : public QComboBox
{
    Q_OBJECT
public:
    explicit PickComboBox(QWidget* parent = nullptr);

    /** Replaces every item in one step; the text shown stays what it was. */
    void setItems(const QStringList& items);
    /** Shows `text` unless it already does, keeping the cursor where the worker left it. */
    void showText(const QString& text);

signals:
    void itemPicked(const QString& text);
    void textTyped(const QString& text);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void widenListFor(const QStringList& items);

    class EditBox;
    EditBox* m_edit;
    QStringListModel* m_items;
};

} // namespace shiftloom
