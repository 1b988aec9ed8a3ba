// The application object: an exception that escapes an event handler is
// shown to the operator and the program goes on.
#pragma once

#include <QApplication>

class Application : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override;
};
