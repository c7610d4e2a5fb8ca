// SPDX-License-Identifier: MIT
#include "LocateDialog.h"

#include "panel/DataFolderDialog.h"
#include "qt/DesignLook.h"
#include "qt/PanelLabel.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

namespace shiftloom {
namespace {

constexpr int kClientWidth = 6315;
constexpr int kClientHeight = 4125;
constexpr FontDesign kDialogFont{"MS Sans Serif", 8.25, false};
constexpr Colour kStatusColour = 0x0000FFFFu; // yellow

/** `path` is `folder` or lies inside it. */
bool isWithin(const QString& path, const QString& folder)
{
    if (path == folder)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix);
}

/**
 * A frame with its caption set into its top edge, filled with its back colour. The controls of
 * the dialog lie inside it.
 */
class CaptionFrame final : public QWidget
{
public:
    CaptionFrame(const QString& caption, QColor back, QColor fore, QWidget* parent)
        : QWidget(parent)
        , m_caption(caption)
        , m_back(back)
        , m_fore(fore)
    {
    }
    QString caption() const { return m_caption; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), m_back);
        const QFontMetrics metrics(font());
        const int lineY = metrics.height() / 2;
        // An etched edge: a dark line with a light one just inside it.
        const QRect edge = rect().adjusted(0, lineY, -2, -2);
        painter.setPen(m_back.darker(160));
        painter.drawRect(edge);
        painter.setPen(m_back.lighter(170));
        painter.drawRect(edge.translated(1, 1));
        const int textX = metrics.averageCharWidth();
        const QRect textRect(textX, 0, metrics.horizontalAdvance(m_caption) + 2, metrics.height());
        painter.fillRect(textRect, m_back);
        painter.setPen(m_fore);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_caption);
    }

private:
    QString m_caption;
    QColor m_back;
    QColor m_fore;
};

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
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_model(std::make_unique<DataFolderDialog>(settings, files, drives))
    , m_drives(drives)
    , m_scale(screenScale(parent ? parent->screen() : nullptr))
{
    nameWindow(this, ProgramWindow::LocateDialog);
    setWindowTitle(QStringLiteral("LOCATE DATA FOLDER"));
    // The dialog shows no icon: an empty one would fall back to the program's.
    QPixmap noIcon(16, 16);
    noIcon.fill(Qt::transparent);
    setWindowIcon(QIcon(noIcon));
    setFont(designFont(kDialogFont));
    resize(m_scale.pixels(kClientWidth), m_scale.pixels(kClientHeight));
    createControls();
    connectEvents();
    render();
    m_cancel->setFocus(Qt::OtherFocusReason);
}

LocateDialog::~LocateDialog() = default;

void LocateDialog::createControls()
{
    const QPalette standard = palette();
    const QColor shadow = toQColor(colours::ButtonShadow, standard);
    auto* frame = new CaptionFrame(QStringLiteral("Please locate Card-Warden data store: "),
        shadow,
        toQColor(colours::HighlightText, standard),
        this);
    nameDialogControl(frame, DialogControl::LocateFrame);
    frame->setGeometry(pixelRect(m_scale, 0, 0, 6450, 4380));

    m_drive = new QComboBox(frame);
    m_drive->setGeometry(pixelRect(m_scale, 180, 315, 3480, 315));
    nameDialogControl(m_drive, DialogControl::DriveList); // after its place: its label stands beside it
    for (const std::string& drive : m_drives.drives())
        m_drive->addItem(toQString(drive));

    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_folders->setReadOnly(true);
    m_filter = new FolderTreeFilter(this);
    m_filter->setSourceModel(m_folders);
    m_filter->setDynamicSortFilter(true);
    m_filter->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_filter->sort(0, Qt::AscendingOrder);
    m_tree = new QTreeView(frame);
    nameDialogControl(m_tree, DialogControl::FolderTree);
    m_tree->setGeometry(pixelRect(m_scale, 180, 720, 4920, 2565));
    m_tree->setModel(m_filter);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_status = new PanelLabel(frame);
    nameDialogControl(m_status, DialogControl::LocateStatus);
    // The design lets the status line run a little past the dialog's right edge, which would cut
    // off the end of its right-aligned text; it ends at the edge instead.
    m_status->setGeometry(pixelRect(m_scale, 4050, 360, std::min(2310, kClientWidth - 4050), 240));
    m_status->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_status->setAutoFillBackground(true);
    QPalette statusPalette = m_status->palette();
    statusPalette.setColor(QPalette::Window, shadow);
    statusPalette.setColor(QPalette::WindowText, toQColor(kStatusColour, standard));
    m_status->setPalette(statusPalette);

    auto* pathLabel = new PanelLabel(frame);
    nameDialogControl(pathLabel, DialogControl::PathCaption);
    pathLabel->setGeometry(pixelRect(m_scale, 180, 3360, 1695, 195));
    pathLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pathLabel->setText(QStringLiteral("Or enter UNC path:"));

    m_path = new QLineEdit(frame);
    nameDialogControl(m_path, DialogControl::PathBox);
    m_path->setGeometry(pixelRect(m_scale, 180, 3600, 4935, 315));

    m_cancel = new QPushButton(QStringLiteral("Cancel"), frame);
    nameDialogControl(m_cancel, DialogControl::LocateCancel);
    m_cancel->setGeometry(pixelRect(m_scale, 5265, 3015, 915, 375));
    m_ok = new QPushButton(QStringLiteral("OK"), frame);
    nameDialogControl(m_ok, DialogControl::LocateOk);
    m_ok->setGeometry(pixelRect(m_scale, 5280, 3555, 915, 375));
    m_ok->setEnabled(false);
    // Neither button is the default: Enter in the path box or the tree chooses nothing.
    for (QPushButton* button : {m_cancel, m_ok}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setFocusPolicy(Qt::StrongFocus);
    }

    QWidget::setTabOrder(m_cancel, m_ok);
    QWidget::setTabOrder(m_ok, m_tree);
    QWidget::setTabOrder(m_tree, m_drive);
    QWidget::setTabOrder(m_drive, m_path);
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
        const std::string drive = fromQString(m_drive->itemText(index));
        if (drive != m_model->drive())
            m_model->chooseDrive(drive);
        render();
    });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (m_rendering || !current.isValid())
            return;
        const QString folder = m_folders->filePath(m_filter->mapToSource(current));
        if (fromQString(folder) != m_model->folder())
            m_model->chooseFolder(fromQString(folder));
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
    m_status->setText(toQString(m_model->status()));
    m_ok->setEnabled(m_model->okEnabled());
    const QString typed = toQString(m_model->typedPath());
    if (m_path->text() != typed)
        m_path->setText(typed);
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
