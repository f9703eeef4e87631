// The recorder's main window, chosen when the recorder target provides it.
#include "app/main/MainWindowFactory.h"
#include "recorder/MainWindow.h"

QWidget* createMainWindow() {
    return new MainWindow(nullptr);
}
