// SPDX-License-Identifier: MIT
#include "QtFrontEnd.h"

#include "panel/Panel.h"
#include "platform/Process.h"
#include "qt/DesignLook.h"
#include "qt/LocateDialog.h"
#include "qt/PanelWindow.h"

#include <QMessageBox>
#include <QPushButton>
#include <cmath>

namespace shiftloom {
namespace {

QMessageBox::StandardButton standardButton(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

} // namespace

QtFrontEnd::QtFrontEnd(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives)
    : m_settings(settings)
    , m_files(files)
    , m_drives(drives)
{
    m_clock.setObjectName(QStringLiteral("clockTick"));
    m_clock.setInterval(static_cast<int>(Panel::kTickInterval.count()));
    m_clock.setTimerType(Qt::PreciseTimer);
    m_autoHide.setObjectName(QStringLiteral("autoHide"));
    m_autoHide.setInterval(static_cast<int>(Panel::kAutoHideDelay.count()));
    m_autoHide.setSingleShot(true);
    connect(&m_clock, &QTimer::timeout, this, &QtFrontEnd::tick);
    connect(&m_autoHide, &QTimer::timeout, this, [this] {
        if (m_panel && (!m_mayAutoHide || m_mayAutoHide()))
            m_panel->autoHide();
    });
}

QtFrontEnd::~QtFrontEnd()
{
    delete m_modelessLocate;
}

void QtFrontEnd::attach(Panel& panel, PanelWindow& window)
{
    m_panel = &panel;
    m_window = &window;
}

LocateDialog* QtFrontEnd::modelessLocateDialog() const
{
    return m_modelessLocate;
}

void QtFrontEnd::setAboutBoxOpener(std::function<void()> open)
{
    m_openAboutBox = std::move(open);
}

void QtFrontEnd::setAutoHideCheck(std::function<bool()> mayHide)
{
    m_mayAutoHide = std::move(mayHide);
}

void QtFrontEnd::setTrayIconShower(std::function<void(bool)> show)
{
    m_showTrayIcon = std::move(show);
    if (m_showTrayIcon && m_trayRequest)
        m_showTrayIcon(*m_trayRequest);
}

void QtFrontEnd::startClock()
{
    m_clock.start();
}

void QtFrontEnd::tick()
{
    if (!m_panel)
        return;
    m_panel->tick();
    if (m_window)
        m_window->render();
}

void QtFrontEnd::storeNews()
{
    // Called on the delivery's thread: the window's thread takes the news in and shows it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_panel)
                return;
            m_panel->collect();
            if (m_window)
                m_window->render();
        },
        Qt::QueuedConnection);
}

MessageAnswer QtFrontEnd::showMessage(const Message& request)
{
    QWidget* parent = m_window && m_window->isVisible() ? m_window : nullptr;
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(toQString(request.title));
    box.setText(toQString(request.text));
    box.setTextFormat(Qt::PlainText);
    switch (request.icon) {
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if (request.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(standardButton(request.defaultButton));
    box.exec();
    const QAbstractButton* chosen = box.clickedButton();
    if (request.buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return chosen == box.button(QMessageBox::Yes) ? MessageAnswer::Yes : MessageAnswer::No;
}

std::optional<Activity> QtFrontEnd::chooseActivity(const ActivityList& list, const Activity& current)
{
    return m_window ? m_window->askActivity(list, current) : std::nullopt;
}

void QtFrontEnd::showLocateDialog(DialogMode mode)
{
    if (mode == DialogMode::Modal) {
        LocateDialog dialog(m_settings, m_files, m_drives);
        dialog.exec();
        return;
    }
    // One locate dialog beside the panel is enough: a second request brings it forward.
    if (m_modelessLocate) {
        m_modelessLocate->raise();
        m_modelessLocate->activateWindow();
        return;
    }
    auto* dialog = new LocateDialog(m_settings, m_files, m_drives);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_modelessLocate = dialog;
    dialog->show();
}

void QtFrontEnd::showAboutBox()
{
    if (m_openAboutBox)
        m_openAboutBox();
}

void QtFrontEnd::showPanel()
{
    // Until the start-up has finished (its locate dialog may be open) the panel stays hidden.
    if (!m_window || !m_panel || !m_panel->loaded())
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QtFrontEnd::hidePanel()
{
    if (m_window)
        m_window->hide();
}

ScreenPosition QtFrontEnd::panelPosition() const
{
    if (!m_window)
        return {};
    const TwipsScale& scale = m_window->scale();
    const QPoint position = m_window->pos();
    return {scale.twips(position.x()), scale.twips(position.y())};
}

void QtFrontEnd::movePanel(ScreenPosition position)
{
    if (!m_window)
        return;
    const TwipsScale& scale = m_window->scale();
    m_window->move(scale.pixels(position.left), scale.pixels(position.top));
}

void QtFrontEnd::focusJobList()
{
    if (m_window)
        m_window->control({PanelControl::JobList})->setFocus(Qt::OtherFocusReason);
}

void QtFrontEnd::setAutoHideTimer(bool on)
{
    if (on)
        m_autoHide.start();
    else
        m_autoHide.stop();
}

void QtFrontEnd::showTrayIcon(bool visible)
{
    m_trayRequest = visible;
    if (m_showTrayIcon)
        m_showTrayIcon(visible);
}

void QtFrontEnd::endProcessNow()
{
    platform::endProcessNow(0);
}

} // namespace shiftloom
