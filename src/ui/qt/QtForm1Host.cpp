// SPDX-License-Identifier: MIT
#include "QtForm1Host.h"

#include "platform/Process.h"
#include "ui/Form1.h"
#include "ui/qt/DesignLook.h"
#include "ui/qt/Form1Window.h"
#include "ui/qt/Form2Dialog.h"
#include "ui/qt/Form3Dialog.h"
#include "ui/qt/PickComboBox.h"

#include <QMessageBox>
#include <QPushButton>
#include <cmath>

namespace shiftloom {
namespace {

constexpr int kTimer1Interval = 1000;
constexpr int kTimer2Interval = 5000;

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

QtForm1Host::QtForm1Host(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives)
    : m_settings(settings)
    , m_files(files)
    , m_drives(drives)
{
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(kTimer1Interval);
    m_timer1.setTimerType(Qt::PreciseTimer);
    m_timer2.setObjectName(QStringLiteral("Timer2"));
    m_timer2.setInterval(kTimer2Interval);
    m_timer2.setSingleShot(true);
    connect(&m_timer1, &QTimer::timeout, this, [this] {
        if (m_form)
            m_form->Timer1_Timer();
    });
    connect(&m_timer2, &QTimer::timeout, this, [this] {
        if (m_form && (!m_mayAutoHide || m_mayAutoHide()))
            m_form->Timer2_Timer();
    });
}

QtForm1Host::~QtForm1Host()
{
    delete m_modelessForm2;
}

void QtForm1Host::attach(Form1& form, Form1Window& window)
{
    m_form = &form;
    m_window = &window;
}

Form3Dialog* QtForm1Host::activityDialogWidget() const
{
    return m_form3;
}

Form2Dialog* QtForm1Host::modelessLocateDialog() const
{
    return m_modelessForm2;
}

void QtForm1Host::setAboutBoxOpener(std::function<void()> open)
{
    m_openAboutBox = std::move(open);
}

void QtForm1Host::setTrayIconShower(std::function<void(bool)> show)
{
    m_showTrayIcon = std::move(show);
    if (m_showTrayIcon && m_trayRequest)
        m_showTrayIcon(*m_trayRequest);
}

void QtForm1Host::setAutoHideCheck(std::function<bool()> mayHide)
{
    m_mayAutoHide = std::move(mayHide);
}

void QtForm1Host::startTimer1()
{
    m_timer1.start();
}

MessageAnswer QtForm1Host::messageBox(const MessageBoxRequest& request)
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

void QtForm1Host::showLocateDialog(bool modal)
{
    if (modal) {
        Form2Dialog dialog(m_settings, m_files, m_drives);
        dialog.exec();
        return;
    }
    // One locate dialog beside the panel is enough: a second request brings it forward.
    if (m_modelessForm2) {
        m_modelessForm2->raise();
        m_modelessForm2->activateWindow();
        return;
    }
    auto* dialog = new Form2Dialog(m_settings, m_files, m_drives);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_modelessForm2 = dialog;
    dialog->show();
}

void QtForm1Host::showActivityDialog()
{
    Form3Model& model = m_form->activityDialog();
    if (!m_form3)
        m_form3 = new Form3Dialog(m_window);
    m_form3->bind(model);
    m_form3->execCentredOn(m_window);
    if (m_form3)
        m_form3->unbind();
    // Hidden after a pick, the dialog keeps its list; closed with its close box, it is made
    // afresh at the next showing.
    if (!model.hidden())
        m_form->activityDialogClosed();
}

void QtForm1Host::showAboutBox()
{
    if (m_openAboutBox)
        m_openAboutBox();
}

void QtForm1Host::showWindow()
{
    // Until the start-up has finished (its locate dialog may be open) the panel stays hidden.
    if (!m_window || !m_form || !m_form->loaded())
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QtForm1Host::hideWindow()
{
    if (m_window)
        m_window->hide();
}

ScreenPosition QtForm1Host::windowPosition() const
{
    if (!m_window)
        return {};
    const TwipsScale& scale = m_window->scale();
    const QPoint position = m_window->pos();
    return {scale.toTwips(position.x()), scale.toTwips(position.y())};
}

void QtForm1Host::moveWindow(ScreenPosition position)
{
    if (!m_window)
        return;
    const TwipsScale& scale = m_window->scale();
    m_window->move(scale.toPixels(position.left), scale.toPixels(position.top));
}

void QtForm1Host::focusJobList()
{
    if (m_window)
        m_window->control(ctl::Combo1)->setFocus(Qt::OtherFocusReason);
}

void QtForm1Host::setTimer2Enabled(bool enabled)
{
    if (enabled)
        m_timer2.start();
    else
        m_timer2.stop();
}

void QtForm1Host::showTrayIcon(bool visible)
{
    m_trayRequest = visible;
    if (m_showTrayIcon)
        m_showTrayIcon(visible);
}

void QtForm1Host::endProgramNow()
{
    platform::endProcessNow(0);
}

} // namespace shiftloom
