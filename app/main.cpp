#include "app/Application.h"
#include "app/ProgramEntry.h"

#include <QTimer>

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("OBR-9"));
    Application::setDesktopFileName(QStringLiteral("obr9"));
    std::unique_ptr<TForm1> form = CreateForms();
    form->show();
    // For the install test: close the window (saving settings as on any
    // close) this many milliseconds after it is shown.
    bool timed = false;
    const int closeAfter = qEnvironmentVariableIntValue("OBR9_CLOSE_AFTER_MS", &timed);
    if (timed && closeAfter >= 0)
        QTimer::singleShot(closeAfter, form.get(), &QWidget::close);
    return app.exec();
}
