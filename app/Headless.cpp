#include "app/Headless.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler may only write to a descriptor; the event loop reads the
// other end and ends the gateway outside the handler.
int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

bool watchTerminateSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

void writeLog(const QString& line)
{
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

int runHeadless(int& argc, char** argv, const obr9::GatewayOptions& options)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("OBR-9"));
    if (!watchTerminateSignals()) {
        writeLog(QStringLiteral("obr9: cannot watch SIGTERM and SIGINT"));
        return 1;
    }
    obr9::Gateway gateway(options);
    QObject::connect(&gateway, &obr9::Gateway::logLine, &app, writeLog);
    QSocketNotifier terminate(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&terminate, &QSocketNotifier::activated, &app, [&] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[1], &byte, 1);
        terminate.setEnabled(false);
        gateway.finish();
    });
    QObject::connect(&gateway, &obr9::Gateway::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!gateway.start()) {
        writeLog(QStringLiteral("obr9: ") + gateway.error());
        return 1;
    }
    return app.exec();
}
