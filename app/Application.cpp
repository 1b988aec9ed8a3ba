#include "app/Application.h"

#include <QMessageBox>

#include <exception>

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        QMessageBox::critical(activeWindow(), applicationName(), QString::fromLocal8Bit(error.what()));
    } catch (...) {
        QMessageBox::critical(activeWindow(), applicationName(),
                              QStringLiteral("An unexpected error occurred."));
    }
    return false;
}
