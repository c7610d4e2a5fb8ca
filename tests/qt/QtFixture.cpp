// SPDX-License-Identifier: MIT
#include "QtFixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

// fontconfig keeps a few blocks of its configuration to the end of the process, unreachable,
// once Qt has loaded fonts; LeakSanitizer reads this hook when the tests run under it.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace shiftloom::test {

QtFixture::Application::Application()
{
    static int argc = 1;
    static char name[] = "test_qt";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    (void)app;
}

QtFixture::QtFixture()
    : window(std::make_unique<PanelWindow>(panel))
{
    frontEnd.attach(panel, *window);
}

void QtFixture::makeStore()
{
    writeFile(store() + "/cardward.ini", "[cardward]\r\n");
    writeFile(store() + "/dep.dat", jobFile(numberedJobs(3)));
    writeFile(store() + "/activities.txt", "ASSEMBLY  first   00000011x\r\nPAINTING  second  00000012x\r\n");
    settings.write(keys::DataLoc, store());
}

QString nameOf(ProgramWindow window)
{
    return QString::fromLatin1(windowName(window));
}

void QtFixture::loadAndShow()
{
    ASSERT_EQ(panel.load(), LoadOutcome::Normal);
    window->move(100, 100);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void whenShown(const QString& objectName, std::function<void(QWidget*)> act, int triesLeft)
{
    QTimer::singleShot(20, qApp, [objectName, act = std::move(act), triesLeft]() mutable {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == objectName && top->isVisible())
                return act(top);
        }
        if (triesLeft > 0)
            whenShown(objectName, std::move(act), triesLeft - 1);
    });
}

void answerMessageBox(std::function<void(QMessageBox*)> inspect, QMessageBox::StandardButton button)
{
    whenShown(QStringLiteral("MessageBox"), [inspect = std::move(inspect), button](QWidget* box) {
        inspect(static_cast<QMessageBox*>(box));
        static_cast<QMessageBox*>(box)->button(button)->click();
    });
}

void pickFromList(QComboBox* combo, const QString& text)
{
    const int row = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    ASSERT_GE(row, 0) << "no item " << text.toStdString();
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    list->setCurrentIndex(list->model()->index(row, combo->modelColumn(), combo->rootModelIndex()));
    QTest::keyClick(list, Qt::Key_Return);
}

} // namespace shiftloom::test
