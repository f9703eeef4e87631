// The one way the recorder's hand-built forms create their named child widgets (the
// object names are those the forms are known by). GUI thread only.
#pragma once

#include <QLatin1String>
#include <QWidget>

template <class Widget> Widget* makeNamedChild(QWidget* parent, const char* objectName) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(objectName));
    return widget;
}
