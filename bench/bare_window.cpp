// SPDX-License-Identifier: MIT
// The floor for start-up time and memory: the least a Qt Widgets panel with a tray icon does.
// A QApplication, a frameless 192 x 395 window without a taskbar button, a tray icon with a
// drawn icon, shown; nothing read, nothing else created.
//
// On its first paint it prints one line to stdout, "first-paint <ns>", the CLOCK_REALTIME time
// in nanoseconds, so that a script that noted the time of its exec can tell how long it took.
// With --exit-after-paint it ends right after that paint (for a quick smoke run). With --timer a
// timer fires once a second and does nothing: the floor for a program that wakes once a second.
// With --clock that timer also sets a label to the time of day: the floor for a panel whose clock
// display changes every second.
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTime>
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
    bool timer = false;
    bool clock = false;
    for (int i = 1; i < argc; ++i) {
        exitAfterPaint = exitAfterPaint || std::strcmp(argv[i], "--exit-after-paint") == 0;
        timer = timer || std::strcmp(argv[i], "--timer") == 0;
        clock = clock || std::strcmp(argv[i], "--clock") == 0;
    }

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap pixmap(32, 32);
    pixmap.fill(QColor(255, 128, 0));
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.setToolTip(QStringLiteral("bare window"));
    tray.show();

    BareWindow window(exitAfterPaint);
    QTimer tick;
    if (clock) {
        // Where the panel shows its clock, in a font of the same size.
        auto* label = new QLabel(&window);
        label->setGeometry(8, 36, 177, 29);
        label->setAlignment(Qt::AlignCenter);
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(14.25);
        label->setFont(font);
        label->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
        QObject::connect(&tick, &QTimer::timeout, label, [label] {
            label->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
        });
    }
    if (timer || clock)
        tick.start(1000);
    window.show();
    return QApplication::exec();
}
