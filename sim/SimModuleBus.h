// The simulated RS-485 bus: the modules with the carriers the command line
// asked for (pseudo-terminal, loopback TCP port or both). Every carrier
// hears what the modules send; requests from any carrier reach them.
#pragma once

#include "sim/SimModulePty.h"
#include "sim/SimModuleTcp.h"
#include "sim/SimModules.h"

#include <QObject>
#include <QString>

namespace obr9::sim {

class SimModuleBus : public QObject {
    Q_OBJECT
public:
    explicit SimModuleBus(const SimModuleOptions& options, QObject* parent = nullptr);

    // Opens the carriers and starts the HQ-2; false with errorString().
    bool start();
    QString errorString() const { return error_; }

    // Empty when no pseudo-terminal was asked for.
    QString ptyPath() const { return ptyPath_; }
    // 0 when no TCP port was asked for.
    quint16 tcpPort() const { return tcpPort_; }

    SimModules& modules() { return modules_; }

private:
    SimModules modules_;
    SimModulePty pty_;
    SimModuleTcp tcp_;
    QString ptyPath_;
    quint16 tcpPort_ = 0;
    QString error_;
};

} // namespace obr9::sim
