// SPDX-License-Identifier: MIT
#pragma once

#include "app/TextList.h"

#include <QComboBox>

#include <cstddef>
#include <vector>

namespace shiftloom {

/**
 * An editable combo box that tells a pick of an item from typing, as the windows' handlers
 * expect: `itemPicked` for a click on an item of the list or a keyboard choice (the arrow keys),
 * `textTyped` for every edit of the text by the worker. Nothing else picks: typed text that
 * happens to equal an item, the mouse wheel, or the text set by the program.
 *
 * The list is replaced in one step, so that thousands of items load at once. A long list of
 * 8-bit lines is shown straight from where the program keeps it, each line converted only when
 * the list needs its text (the few rows on view, a pick), so that a refill of tens of thousands
 * of jobs neither converts nor copies them all. There is no completion and Enter adds nothing
 * to the list.
 */
class PickComboBox final : public QComboBox
{
    Q_OBJECT
public:
    explicit PickComboBox(QWidget* parent = nullptr);

    /** Replaces every item in one step; the text shown stays what it was. */
    void setItems(const QStringList& items);
    /**
     * Replaces every item in one step by the Windows-1252 `lines` in the given order of their
     * indexes. The list reads `lines` where they are whenever it needs a text: they must outlive
     * this box, and any change to them must be followed by another call before the event loop
     * runs. The text shown stays what it was.
     */
    void setLines(const TextList& lines, std::vector<std::size_t> order);
    /** Shows `text` unless it already does, keeping the cursor where the worker left it. */
    void showText(const QString& text);
    /** Opens the list, as wide as its longest line needs. */
    void showPopup() override;

signals:
    void itemPicked(const QString& text);
    void textTyped(const QString& text);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    template<typename Fill> void replaceItems(Fill fill);
    void widenListFor(const QString& longest);

    class EditBox;
    class Items;
    EditBox* m_edit;
    Items* m_items;
    bool m_listMade = false;
};

} // namespace shiftloom
