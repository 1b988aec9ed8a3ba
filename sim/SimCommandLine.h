// The command line of obr9-sim, parsed without side effects so that tests
// can check it, the loopback rule above all.
#pragma once

#include "sim/SimAddress.h"
#include "sim/SimModuleOptions.h"
#include "sim/SimOptions.h"

#include <QString>
#include <QStringList>

namespace obr9::sim {

struct SimCommandLine {
    enum class Mode { Listen, Connect };

    Mode mode = Mode::Listen;
    SimEndpoint endpoint{QHostAddress(QHostAddress::LocalHost), kDefaultPort};
    SimOptions options;
    SimModuleOptions modules;
    bool verbose = false;

    bool helpRequested = false;
    QString helpText;
    QString error; // non-empty: refuse to start
};

// arguments as QCoreApplication::arguments() gives them, program name first.
SimCommandLine parseSimCommandLine(const QStringList& arguments);

} // namespace obr9::sim
