// The recorder's main window (Part 4.101), chosen when the recorder target provides it.
#include "app/main/MainWindowFactory.h"
#include "recorder/MainWindow.h"

QWidget* createMainWindow() { return new MainWindow(nullptr); }
