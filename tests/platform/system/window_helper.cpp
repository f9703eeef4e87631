// Windows of another process for the tests of window finding, click-through overlays and
// snapping. Each argument is one window, "x,y,w,h[,flags]", created in that order (the
// last one ends up on top); flags: f frameless, c a native child window inset by 20
// pixels on each side, t stay on top.
// Prints "window <index> <id> <childId or 0>" per window once all are exposed, then
// "ready"; afterwards "press <index> <globalX> <globalY>" for every mouse press a window
// receives. Runs until killed or until stdin closes.
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

class HelperWindow : public QWidget {
public:
    HelperWindow(int index, const QColor& colour, QWidget* parent = nullptr)
        : QWidget(parent), m_index(index), m_colour(colour) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), m_colour); }
    void mousePressEvent(QMouseEvent* event) override {
        say(QStringLiteral("press %1 %2 %3").arg(m_index).arg(event->globalX()).arg(event->globalY()));
    }

private:
    int m_index;
    QColor m_colour;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QColor colours[] = {QColor(200, 40, 40), QColor(40, 160, 40), QColor(40, 40, 200), QColor(200, 200, 40),
                              QColor(40, 200, 200)};
    QList<HelperWindow*> windows;
    QList<QWidget*> children;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QStringList parts = args[i].split(QLatin1Char(','));
        if (parts.size() < 4) {
            say(QStringLiteral("error bad window %1").arg(args[i]));
            return 2;
        }
        const QString flags = parts.value(4);
        auto* window = new HelperWindow(i, colours[i % 5]);
        Qt::WindowFlags windowFlags = Qt::Window;
        if (flags.contains(QLatin1Char('f'))) {
            windowFlags |= Qt::FramelessWindowHint;
        }
        if (flags.contains(QLatin1Char('t'))) {
            windowFlags |= Qt::WindowStaysOnTopHint;
        }
        window->setWindowFlags(windowFlags);
        window->setWindowTitle(QStringLiteral("helper %1").arg(i));
        window->setGeometry(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
        QWidget* child = nullptr;
        if (flags.contains(QLatin1Char('c'))) {
            child = new HelperWindow(i, colours[i % 5].darker(), window);
            child->setAttribute(Qt::WA_NativeWindow);
            child->setGeometry(20, 20, parts[2].toInt() - 40, parts[3].toInt() - 40);
        }
        window->show();
        windows << window;
        children << child;
    }

    // Announce the windows once every one is on screen.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        for (HelperWindow* window : windows) {
            if (!window->windowHandle() || !window->windowHandle()->isExposed()) {
                return;
            }
        }
        poll.stop();
        for (int i = 0; i < windows.size(); ++i) {
            say(QStringLiteral("window %1 %2 %3")
                    .arg(i)
                    .arg(windows[i]->winId())
                    .arg(children[i] ? children[i]->winId() : 0));
        }
        say(QStringLiteral("ready"));
    });
    poll.start(20);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&]() {
        char buffer[256];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            app.quit();
        }
    });
    const int status = app.exec();
    qDeleteAll(windows);
    return status;
}
