// SPDX-License-Identifier: MIT
#include "LocateDialog.h"

#include "panel/DataFolderDialog.h"
#include "qt/DesignLook.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>

namespace shiftloom {
namespace {

/** `path` is `folder` or lies inside it. */
bool isWithin(const QString& path, const QString& folder)
{
    if (path == folder)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix);
}

} // namespace

/**
 * Keeps the folder tree to one drive: the drive's root folder is the tree's only top item, and
 * only folders on the way to it (which the tree needs to reach it) or inside it pass.
 */
class FolderTreeFilter final : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setDriveRoot(const QString& root)
    {
        m_root = root;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* folders = static_cast<const QFileSystemModel*>(sourceModel());
        const QString path = folders->filePath(folders->index(row, 0, parent));
        return isWithin(path, m_root) || isWithin(m_root, path);
    }

private:
    QString m_root = QStringLiteral("/");
};

LocateDialog::LocateDialog(
    SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives, QWidget* parent)
    : DescribedDialog(ProgramWindow::LocateDialog, parent)
    , m_model(std::make_unique<DataFolderDialog>(settings, files, drives))
    , m_drives(drives)
    , m_drive(controlAs<QComboBox>(DialogControl::DriveList))
    , m_tree(controlAs<QTreeView>(DialogControl::FolderTree))
    , m_path(controlAs<QLineEdit>(DialogControl::PathBox))
    , m_cancel(controlAs<QPushButton>(DialogControl::LocateCancel))
    , m_ok(controlAs<QPushButton>(DialogControl::LocateOk))
{
    for (const std::string& drive : m_model->drives())
        m_drive->addItem(toQString(drive));
    setUpFolderTree();
    connectEvents();
    render();
}

LocateDialog::~LocateDialog() = default;

void LocateDialog::setUpFolderTree()
{
    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_folders->setReadOnly(true);
    m_filter = new FolderTreeFilter(this);
    m_filter->setSourceModel(m_folders);
    m_filter->setDynamicSortFilter(true);
    m_filter->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_filter->sort(0, Qt::AscendingOrder);
    m_tree->setModel(m_filter);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void LocateDialog::connectEvents()
{
    connect(m_folders, &QFileSystemModel::directoryLoaded, this, [this] {
        // Showing the folder the model already has is no change by the worker.
        const bool rendering = m_rendering;
        m_rendering = true;
        revealPendingFolder();
        m_rendering = rendering;
    });
    connect(m_drive, &QComboBox::activated, this, [this](int index) {
        m_model->pickDrive(static_cast<std::size_t>(index));
        render();
    });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (m_rendering || !current.isValid())
            return;
        m_model->openFolder(fromQString(m_folders->filePath(m_filter->mapToSource(current))));
        render();
    });
    connect(m_path, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_model->typePath(fromQString(text));
        render();
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_model->cancel();
        render();
    });
    connect(m_ok, &QPushButton::clicked, this, [this] {
        m_model->accept();
        render();
    });
}

void LocateDialog::render()
{
    m_rendering = true;
    showDrive(toQString(m_model->drive()));
    showFolder(toQString(m_model->folder()));
    for (const DialogControl shown : {DialogControl::LocateStatus, DialogControl::PathBox, DialogControl::LocateOk})
        showState(shown, m_model->controlState(dialogControl(shown)));
    m_rendering = false;
    if (m_model->closed() && isVisible())
        done(QDialog::Accepted);
}

void LocateDialog::showDrive(const QString& drive)
{
    if (drive == m_shownDrive)
        return;
    m_shownDrive = drive;
    int index = m_drive->findText(drive);
    if (index < 0) {
        m_drive->addItem(drive);
        index = m_drive->count() - 1;
    }
    m_drive->setCurrentIndex(index);

    // The tree shows the folder a drive starts in as its one top item.
    const QString root = QDir::cleanPath(toQString(m_drives.currentFolder(fromQString(drive))));
    m_folders->setRootPath(root);
    m_filter->setDriveRoot(root);
    QDir above(root);
    const bool topOfFileSystem = !above.cdUp();
    m_tree->setRootIndex(topOfFileSystem ? QModelIndex() : m_filter->mapFromSource(m_folders->index(above.path())));
}

void LocateDialog::showFolder(const QString& folder)
{
    m_pendingFolder = folder;
    revealPendingFolder();
}

void LocateDialog::revealPendingFolder()
{
    if (m_pendingFolder.isEmpty())
        return;
    const QModelIndex current = m_tree->currentIndex();
    if (current.isValid() && m_folders->filePath(m_filter->mapToSource(current)) == m_pendingFolder) {
        m_pendingFolder.clear();
        return;
    }
    // The folder model reads folders in the background, one level at a time: open every level
    // the tree shows already; when the model has read the next one, this runs again.
    QStringList chain;
    for (QDir up(m_pendingFolder);;) {
        chain.prepend(up.path());
        if (!up.cdUp())
            break;
    }
    for (const QString& path : chain) {
        const QModelIndex source = m_folders->index(path);
        if (source.isValid() && m_folders->canFetchMore(source))
            m_folders->fetchMore(source);
        const QModelIndex index = m_filter->mapFromSource(source);
        if (!index.isValid())
            continue; // above the drive's top item, or not read yet
        m_tree->expand(index);
        if (path == m_pendingFolder) {
            m_tree->setCurrentIndex(index);
            m_tree->scrollTo(index);
            m_pendingFolder.clear();
            return;
        }
    }
}

void LocateDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Scrolling before the dialog has a size does nothing: show the folder once it is laid out.
    QTimer::singleShot(0, this, [this] {
        if (m_tree->currentIndex().isValid())
            m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

void LocateDialog::reject()
{
    if (!m_model->closed()) {
        m_model->cancel();
        render(); // closes the dialog
    }
    if (isVisible())
        QDialog::reject();
}

} // namespace shiftloom
