// SPDX-License-Identifier: MIT
#include "AboutDialog.h"

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
    : DescribedDialog(ProgramWindow::AboutBox, parent)
    , m_content(AboutBox::forApplication(appTitle))
    , m_appTitle(appTitle)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(fromCp1252(m_content.caption));
    for (const DialogControl label : {DialogControl::AboutTitle, DialogControl::AboutVersion})
        showState(label, m_content.controlState(dialogControl(label)));
    // OK closes the box (Enter: it is the default button; Esc: QDialog rejects, which closes).
    connect(controlAs<QPushButton>(DialogControl::AboutOk), &QPushButton::clicked, this, &QDialog::close);
    connect(controlAs<QPushButton>(DialogControl::AboutSystemInfo), &QPushButton::clicked, this, [this] {
        startSystemInformation(systemInformationPrograms(), m_appTitle, this);
    });
}

} // namespace shiftloom
