#pragma once
// Steps run inside a modal loop: a test that opens a modal window cannot act on it until
// the window's own exec() runs, so the step is posted ahead and waits for the window.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `step` once a modal window of the type is up (inside its modal loop).
template <class Window> void whenModal(std::function<void(Window*)> step) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
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
