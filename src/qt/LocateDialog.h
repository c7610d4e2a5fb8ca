// SPDX-License-Identifier: MIT
#pragma once

#include "qt/DescribedDialog.h"

#include <memory>

class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace shiftloom {

class DataFolderDialog;
class SettingsStore;
namespace platform {
class DriveList;
class FileOps;
} // namespace platform

class FolderTreeFilter;

/**
 * The locate dialog, "LOCATE DATA FOLDER", rendering a fresh `DataFolderDialog`: a drive
 * list, a folder tree rooted at the chosen drive (folders only, kept up to date as folders come
 * and go), the status line, a box for a typed path and the buttons Cancel and OK.
 *
 * The dialog has no close button; closing it any other way (Esc, the window manager) is Cancel.
 * It closes itself when the model says so: `exec()` returns then, and a dialog shown without
 * waiting goes away.
 */
class LocateDialog final : public DescribedDialog
{
    Q_OBJECT
public:
    LocateDialog(
        SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives, QWidget* parent = nullptr);
    ~LocateDialog() override;

    DataFolderDialog& model() { return *m_model; }

public slots:
    /** Any way of closing the dialog but OK: Cancel. */
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpFolderTree();
    void connectEvents();
    /** Shows the model's state; the folder tree moves only when the model's folder is not its own. */
    void render();
    void showDrive(const QString& drive);
    void showFolder(const QString& folder);
    void revealPendingFolder();

    std::unique_ptr<DataFolderDialog> m_model;
    platform::DriveList& m_drives;
    QFileSystemModel* m_folders = nullptr;
    QString m_pendingFolder; ///< the folder list's path, until the tree can show it
    FolderTreeFilter* m_filter = nullptr;
    QComboBox* m_drive = nullptr;
    QTreeView* m_tree = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_ok = nullptr;
    QString m_shownDrive;
    bool m_rendering = false;
};

} // namespace shiftloom
