// Helpers of the editor tab tests: answering the modal dialogs a tab opens (file, colour
// and font dialogs, message boxes) the way a user would, and finding a tab's controls by
// their object names.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tabtest {

// Runs `answer` on the next modal dialog of type Dialog once it is shown (checked every
// 20 ms for up to `timeoutMs`). Call before the action that opens the dialog.
template <typename Dialog> void answerNextDialog(std::function<void(Dialog*)> answer, int timeoutMs = 10000) {
    auto* timer = new QTimer;
    auto* waited = new int(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, answer, timeoutMs] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        *waited += 20;
        if ((dialog && dialog->isVisible()) || *waited > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            if (dialog) {
                answer(dialog);
            }
        }
    });
    timer->start();
}

template <typename T> T* child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QLatin1String(name));
}

} // namespace tabtest
