// The one place that chooses the program's main window: the recorder's MainWindow once
// it exists, else a plain window titled with the product title.
#pragma once

class QWidget;

// A new, parentless main window; the caller shows it and deletes it after the event loop.
QWidget* createMainWindow();
