// obr9-sim: the simulated OBR-9 controller. Lines on stdout ("listening
// ADDR:PORT", "connected", "disconnected", "data frames N" after each
// "disconnected", "module port PATH", "module listening ADDR:PORT") are
// meant for scripts and tests that start it;
// everything else goes to stderr.
#include "sim/SimCommandLine.h"
#include "sim/SimController.h"
#include "sim/SimModuleBus.h"

#include <QCoreApplication>

#include <cstdio>

using namespace obr9::sim;

namespace {
void printLine(FILE* stream, const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stream);
    std::fflush(stream);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("obr9-sim"));

    const SimCommandLine commandLine = parseSimCommandLine(QCoreApplication::arguments());
    if (commandLine.helpRequested) {
        printLine(stdout, commandLine.helpText);
        return 0;
    }
    if (!commandLine.error.isEmpty()) {
        printLine(stderr, QStringLiteral("obr9-sim: ") + commandLine.error);
        return 2;
    }

    SimModuleBus moduleBus(commandLine.modules);
    if (commandLine.modules.enabled()) {
        if (!moduleBus.start()) {
            printLine(stderr, QStringLiteral("obr9-sim: ") + moduleBus.errorString());
            return 1;
        }
        if (!moduleBus.ptyPath().isEmpty())
            printLine(stdout, QStringLiteral("module port ") + moduleBus.ptyPath());
        if (moduleBus.tcpPort() != 0)
            printLine(stdout, QStringLiteral("module listening %1:%2")
                                  .arg(commandLine.modules.tcp->address.toString())
                                  .arg(moduleBus.tcpPort()));
        if (commandLine.modules.modulesOnly)
            return QCoreApplication::exec();
    }

    SimController sim(commandLine.options);
    if (commandLine.modules.onControllerLink)
        QObject::connect(&moduleBus.modules(), &SimModules::hq2FramesOut, &sim, &SimController::forwardBusBytes);
    QObject::connect(&sim, &SimController::connectionStarted, [] { printLine(stdout, QStringLiteral("connected")); });
    QObject::connect(&sim, &SimController::connectionEnded, [&sim] {
        printLine(stdout, QStringLiteral("disconnected"));
        // Over all connections so far; counted before the link was closed.
        printLine(stdout, QStringLiteral("data frames %1").arg(sim.dataFramesSent()));
    });
    if (commandLine.verbose) {
        QObject::connect(&sim, &SimController::requestReceived, [](const QByteArray& request) {
            printLine(stderr, QStringLiteral("<- ") + QString::fromLatin1(request.toHex(' ')));
        });
        QObject::connect(&sim, &SimController::blockSent, [](const QByteArray& block) {
            printLine(stderr, QStringLiteral("-> ") + QString::fromLatin1(block.toHex(' ')));
        });
        QObject::connect(&sim, &SimController::fellSilent, [] { printLine(stderr, QStringLiteral("silent")); });
    }

    const QString address = commandLine.endpoint.address.toString();
    if (commandLine.mode == SimCommandLine::Mode::Connect) {
        if (!sim.connectTo(commandLine.endpoint.address, commandLine.endpoint.port)) {
            printLine(stderr, QStringLiteral("obr9-sim: ") + sim.errorString());
            return 1;
        }
        printLine(stdout, QStringLiteral("connecting %1:%2").arg(address).arg(commandLine.endpoint.port));
    } else {
        if (!sim.listen(commandLine.endpoint.address, commandLine.endpoint.port)) {
            printLine(stderr, QStringLiteral("obr9-sim: cannot listen on %1:%2: %3")
                                  .arg(address)
                                  .arg(commandLine.endpoint.port)
                                  .arg(sim.errorString()));
            return 1;
        }
        printLine(stdout, QStringLiteral("listening %1:%2").arg(address).arg(sim.serverPort()));
    }
    return QCoreApplication::exec();
}
