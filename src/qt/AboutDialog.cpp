// SPDX-License-Identifier: MIT
#include "AboutDialog.h"

#include "panel/AboutBoxLayout.h"
#include "platform/Cp1252.h"
#include "qt/AppIcon.h"
#include "qt/DesignLook.h"

#include <QFont>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <array>

namespace shiftloom {
namespace {

QString fromCp1252(std::string_view text)
{
    return QString::fromStdString(platform::cp1252ToUtf8(text));
}

QRect pixelRect(const AboutControlDesign& design)
{
    return {twipsToPixels(design.left),
        twipsToPixels(design.top),
        twipsToPixels(design.width),
        twipsToPixels(design.height)};
}

QColor qcolour(Colour colour)
{
    return {redOf(colour), greenOf(colour), blueOf(colour)};
}

/** The dialogs' font, 8.25 pt; fonts standing in for it where it is not installed follow it. */
QFont dialogFont()
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    return font;
}

} // namespace

std::span<const std::string_view> systemInformationPrograms()
{
    static constexpr std::array<std::string_view, 4> programs = {
        "hardinfo", "kinfocenter", "gnome-system-monitor", "xfce4-taskmanager"};
    return programs;
}

bool startSystemInformation(std::span<const std::string_view> programs, std::string_view appTitle, QWidget* parent)
{
    for (const std::string_view name : programs) {
        const QString path =
            QStandardPaths::findExecutable(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        if (!path.isEmpty() && QProcess::startDetached(path, {}))
            return true;
    }
    QMessageBox box(
        QMessageBox::NoIcon, fromCp1252(appTitle), fromCp1252(kSysInfoUnavailable), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
    return false;
}

AboutDialog::AboutDialog(std::string_view appTitle, QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
    , m_content(AboutBox::forApplication(appTitle))
    , m_appTitle(appTitle)
{
    nameWindow(this, ProgramWindow::AboutBox);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFont(dialogFont());
    setWindowIcon(appIcon());

    setWindowTitle(fromCp1252(m_content.caption));

    const AboutBoxDesign& form = aboutBoxDesign();
    // The client area at its place on the screen, fixed in size.
    setGeometry(twipsToPixels(form.clientLeft),
        twipsToPixels(form.clientTop),
        twipsToPixels(form.clientWidth),
        twipsToPixels(form.clientHeight));
    setFixedSize(twipsToPixels(form.clientWidth), twipsToPixels(form.clientHeight));

    QPushButton* ok = nullptr;
    QPushButton* sysInfo = nullptr;
    for (const AboutControlDesign& design : aboutBoxControls()) {
        switch (design.type) {
        case AboutControlType::Picture: {
            auto* picture = new QLabel(this);
            nameDialogControl(picture, design.control);
            const QPixmap pixmap = appIcon().pixmap(32, 32);
            picture->setPixmap(pixmap);
            QRect place = pixelRect(design);
            if (design.autoSize)
                place.setSize(pixmap.size()); // the picture box takes the size of its image
            picture->setGeometry(place);
            break;
        }
        case AboutControlType::Label: {
            const bool isTitle = design.control == DialogControl::AboutTitle;
            auto* label = new QLabel(fromCp1252(isTitle ? m_content.title : m_content.version), this);
            nameDialogControl(label, design.control);
            label->setGeometry(pixelRect(design));
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            if (design.colour != 0xFFFFFFFFu) {
                QPalette palette = label->palette();
                palette.setColor(QPalette::WindowText, qcolour(design.colour));
                label->setPalette(palette);
            }
            break;
        }
        case AboutControlType::Button: {
            auto* button = new QPushButton(fromCp1252(design.caption), this);
            nameDialogControl(button, design.control);
            button->setGeometry(pixelRect(design));
            button->setAutoDefault(true);
            if (design.isDefault) {
                button->setDefault(true);
                ok = button;
            } else {
                sysInfo = button;
            }
            break;
        }
        case AboutControlType::Line:
            break; // drawn in paintEvent
        }
    }

    // OK closes the box (Enter: it is the default button; Esc: QDialog rejects, which closes).
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    connect(sysInfo, &QPushButton::clicked, this, [this] {
        startSystemInformation(systemInformationPrograms(), m_appTitle, this);
    });
    setTabOrder(ok, sysInfo);
    ok->setFocus();
}

void AboutDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const AboutControlDesign& design : aboutBoxControls()) {
        if (design.type != AboutControlType::Line)
            continue;
        // A line of width w covers w pixel rows from its y downwards, as an inside-solid pen does.
        const int y = twipsToPixels(design.y1);
        const int x1 = twipsToPixels(design.x1);
        const int x2 = twipsToPixels(design.x2);
        painter.fillRect(QRect(x1, y, x2 - x1, design.borderWidth), qcolour(design.colour));
    }
}

} // namespace shiftloom
