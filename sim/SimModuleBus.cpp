#include "sim/SimModuleBus.h"

namespace obr9::sim {

SimModuleBus::SimModuleBus(const SimModuleOptions& options, QObject* parent)
    : QObject(parent)
    , modules_(options)
{
}

bool SimModuleBus::start()
{
    const SimModuleOptions& options = modules_.options();
    if (options.pseudoTerminal) {
        if (!pty_.open()) {
            error_ = QStringLiteral("cannot create a pseudo-terminal: ") + pty_.errorString();
            return false;
        }
        ptyPath_ = pty_.path();
        connect(&modules_, &SimModules::bytesOut, &pty_, &SimModulePty::write);
        connect(&pty_, &SimModulePty::received, &modules_, &SimModules::receive);
    }
    if (options.tcp) {
        if (!tcp_.listen(options.tcp->address, options.tcp->port)) {
            error_ = QStringLiteral("cannot listen for the module stream on %1:%2: %3")
                         .arg(options.tcp->address.toString())
                         .arg(options.tcp->port)
                         .arg(tcp_.errorString());
            return false;
        }
        tcpPort_ = tcp_.serverPort();
        connect(&modules_, &SimModules::bytesOut, &tcp_, &SimModuleTcp::write);
        connect(&tcp_, &SimModuleTcp::received, &modules_, &SimModules::receive);
    }
    modules_.start();
    return true;
}

} // namespace obr9::sim
