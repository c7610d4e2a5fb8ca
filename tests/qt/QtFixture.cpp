// SPDX-License-Identifier: MIT
#include "QtFixture.h"

#include "app/StorePaths.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
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
namespace {

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

void poll(std::function<bool()> attempt, int triesLeft)
{
    QTimer::singleShot(20, qApp, [attempt = std::move(attempt), triesLeft]() mutable {
        if (attempt() || triesLeft <= 0)
            return;
        poll(std::move(attempt), triesLeft - 1);
    });
}

constexpr int kPollTries = 250;

} // namespace

void ensureApplication()
{
    static QApplication* application = [] {
        static int argc = 1;
        static char name[] = "test_qt";
        static char* argv[] = {name, nullptr};
        auto* app = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return app;
    }();
    (void)application;
}

FakeDriveList::FakeDriveList(std::string root)
    : m_root(std::move(root))
{
    QDir().mkpath(QString::fromStdString(driveC()));
    QDir().mkpath(QString::fromStdString(volume() + "/work"));
}

std::vector<std::string> FakeDriveList::drives()
{
    return {"c:", volume()};
}

std::string FakeDriveList::currentFolder(std::string_view drive)
{
    return drive == "c:" ? driveC() : std::string(drive);
}

std::string FakeDriveList::processCurrentFolder()
{
    return volume() + "/work";
}

std::string FakeDriveList::driveOf(std::string_view folder)
{
    return startsWith(folder, driveC()) ? "c:" : volume();
}

QtFixture::QtFixture()
    : window(std::make_unique<PanelWindow>(panel))
{
    frontEnd.attach(panel, *window);
}

QtFixture::~QtFixture()
{
    window.reset();
}

void QtFixture::makeStore(const std::vector<TestJob>& jobs, std::string_view activities)
{
    writeFile(store() + "/" + std::string(kStoreMarkerName), "[cardward]\r\n");
    writeFile(store() + "/" + std::string(kJobFileName), jobFile(jobs));
    if (!activities.empty())
        writeFile(store() + "/" + std::string(kActivityFileName), activities);
    settings.write(keys::DataLoc, store());
}

void QtFixture::loadAndShow()
{
    ASSERT_EQ(panel.load(), LoadOutcome::Normal);
    window->move(100, 100);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

std::vector<std::string> QtFixture::dataLines() const
{
    const std::string text = readFile(store() + "/" + std::string(kDataFileName));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a record without its CR LF: " << text.substr(start);
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
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

void whenShown(const QString& objectName, std::function<void(QWidget*)> act)
{
    poll(
        [objectName, act = std::move(act)] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->objectName() == objectName && top->isVisible()) {
                    act(top);
                    return true;
                }
            }
            return false;
        },
        kPollTries);
}

void answerMessageBox(std::function<void(QMessageBox*)> inspect, int button)
{
    poll(
        [inspect = std::move(inspect), button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return false;
            inspect(box);
            QAbstractButton* answer = box->button(static_cast<QMessageBox::StandardButton>(button));
            if (answer)
                answer->click();
            else
                box->reject();
            return true;
        },
        kPollTries);
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

QString saveScreenshot(QWidget* widget, const QString& name)
{
    const QString folder = QStringLiteral(SHIFTLOOM_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    widget->grab().save(path);
    return path;
}

} // namespace shiftloom::test
