// Helpers of the editor tab tests: answering the modal dialogs a tab opens (file, colour
// and font dialogs, message boxes) the way a user would, and finding a tab's controls by
// their object names.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
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

// Types into a line edit as a user does: select all, then the keys (an empty text
// deletes the selection).
inline void typeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(edit, text);
    }
}

// Answers the next file dialog as a user does: the whole path typed into the name box,
// then Open.
inline void chooseFile(const QString& path) {
    answerNextDialog<QFileDialog>([path](QFileDialog* dialog) {
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            name->setText(path);
        }
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

template <typename T> T* child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QLatin1String(name));
}

} // namespace tabtest
