// Gives a new widget its object name and returns it, so that a layout can
// be written as one expression per control: the names are how the settings
// file, the tests and the window's own code find the controls again.
#pragma once

#include <QObject>
#include <QString>

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

template <typename T>
T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}
