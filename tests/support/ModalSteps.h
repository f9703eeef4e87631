#pragma once
// Steps run inside a modal loop: a test that opens a modal window cannot act on it until
// the window's own exec() runs, so the step is posted ahead and waits for the window.

#include <QApplication>
#include <QByteArray>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `step` once a modal window of the type is up (inside its modal loop). A step whose
// window never comes (a message that must not show) gives up when its test function ends,
// so that it cannot answer a later test's window, and goes with the application at the
// latest.
template <class Window> void whenModal(std::function<void(Window*)> step) {
    auto* poll = new QTimer(QCoreApplication::instance());
    const QByteArray owner = QTest::currentTestFunction();
    QObject::connect(poll, &QTimer::timeout, [poll, step, owner] {
        if (QTest::currentTestFunction() != owner) {
            poll->stop();
            poll->deleteLater();
            return;
        }
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (window == nullptr || !window->isVisible()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        step(window);
    });
    poll->start(20);
}
