// SPDX-License-Identifier: MIT
// The floor for start-up time and memory: the least a Qt Widgets panel with a tray icon does.
// A QApplication, a frameless 192 x 395 window without a taskbar button, a tray icon with a
// drawn icon, shown; nothing read, nothing else created.
//
// On its first paint it prints one line to stdout, "first-paint <ns>", the CLOCK_REALTIME time
// in nanoseconds, so that a script that noted the time of its exec can tell how long it took.
// With --exit-after-paint it ends right after that paint (for a quick smoke run).
#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

long long realtimeNanoseconds()
{
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

class BareWindow final : public QWidget
{
public:
    explicit BareWindow(bool exitAfterPaint)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
        , m_exitAfterPaint(exitAfterPaint)
    {
        setFixedSize(192, 395);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(32, 91, 145));
        if (m_painted)
            return;
        m_painted = true;
        std::printf("first-paint %lld\n", realtimeNanoseconds());
        std::fflush(stdout);
        if (m_exitAfterPaint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

private:
    bool m_exitAfterPaint;
    bool m_painted = false;
};

} // namespace

int main(int argc, char** argv)
{
    bool exitAfterPaint = false;
    for (int i = 1; i < argc; ++i)
        exitAfterPaint = exitAfterPaint || std::strcmp(argv[i], "--exit-after-paint") == 0;

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap pixmap(32, 32);
    pixmap.fill(QColor(255, 128, 0));
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.setToolTip(QStringLiteral("bare window"));
    tray.show();

    BareWindow window(exitAfterPaint);
    window.show();
    return QApplication::exec();
}
