// Stands in for the main window until the recorder window exists: a plain window with the
// product title, by which a second instance finds and raises this one.
#include "app/AppGlobals.h"
#include "app/main/MainWindowFactory.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

QWidget* createMainWindow() {
    auto* window = new QWidget();
    window->setWindowTitle(productTitle());
    window->resize(640, 400);
    auto* layout = new QVBoxLayout(window);
    auto* label = new QLabel(productTitle(), window);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    return window;
}
