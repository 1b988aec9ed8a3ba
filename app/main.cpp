#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Headless.h"
#include "app/ProgramEntry.h"

#include <QTimer>

#include <cstdio>

namespace {

QStringList argumentList(int argc, char* argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

// --help and --version need no display: a core application prints them.
int printAndExit(int& argc, char* argv[], bool help)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("obr9"));
    const QByteArray text = (help ? commandLineHelp() : commandLineVersion()).toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return 0;
}

int runWindows(int& argc, char* argv[])
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

} // namespace

int main(int argc, char* argv[])
{
    const CommandLine line = parseCommandLine(argumentList(argc, argv));
    switch (line.action) {
    case CommandLine::Help:
    case CommandLine::Version:
        return printAndExit(argc, argv, line.action == CommandLine::Help);
    case CommandLine::Error:
        std::fprintf(stderr, "obr9: %s\n", qPrintable(line.error));
        return 2;
    case CommandLine::Headless:
        return runHeadless(argc, argv, line.options);
    case CommandLine::Windows:
        break;
    }
    return runWindows(argc, argv);
}
