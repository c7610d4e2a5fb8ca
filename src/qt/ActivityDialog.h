// SPDX-License-Identifier: MIT
#pragma once

#include "app/ActivityFile.h"
#include "qt/DescribedDialog.h"

#include <optional>

namespace shiftloom {

class ActivityList;
class PickComboBox;

/**
 * The activity dialog, "SELECT ACTIVITY": one combo box listing Card-Warden's activities. A pick
 * hides the dialog and is the answer; closing it with its close box (or Esc) answers nothing and
 * drops the panel's list, so that the next showing reads the file again.
 *
 * The widget outlives a showing: hidden after a pick, it keeps its list and shows the item picked.
 */
class ActivityDialog final : public DescribedDialog
{
    Q_OBJECT
public:
    explicit ActivityDialog(QWidget* parent = nullptr);

    /**
     * Shows `list` modally, centred on `over` when that is shown, and returns the activity picked;
     * none when closed with the close box. A list shown before shows what was picked in it last.
     */
    std::optional<Activity> ask(const ActivityList& list, const Activity& current, const QWidget* over);

private:
    void showList(const ActivityList& list);
    void picked(const QString& item);
    void centreOn(const QWidget* over);

    PickComboBox* m_combo;
    const ActivityList* m_shownList = nullptr;
    std::optional<Activity> m_picked;
    QString m_text; ///< what the dialog shows as its text
};

} // namespace shiftloom
