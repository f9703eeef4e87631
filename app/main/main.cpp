// The process entry for Linux/X11.
#include "app/AppGlobals.h"
#include "app/KeyApplication.h"
#include "app/main/MainWindowFactory.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QMessageBox>

#include <memory>

int main(int argc, char** argv) {
    initScaleFactor();
    KeyApplication application(argc, argv);

    SingleInstanceGuard guard(productTitle());
    if (!guard.isFirstInstance()) {
        if (!raiseRunningInstance(productTitle())) {
            QMessageBox::information(nullptr, QString(),
                                     QCoreApplication::translate("QObject", "An instance has already been running."),
                                     QMessageBox::Ok, QMessageBox::NoButton);
        }
        return 0;
    }

    QFont font = QApplication::font();
    font.setFamily(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    std::unique_ptr<QWidget> mainWindow(createMainWindow());
    mainWindow->show();
    const int exitCode = QApplication::exec();
    mainWindow.reset();
    return exitCode;
}
