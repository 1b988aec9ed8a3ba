// The command line of both modes:
//
//   obr9 [ignored] [chart file]                         the windows
//   obr9 --headless [--controller HOST:PORT] [--modules DEVICE[@BAUD]]
//        [--record DIR] [--mqtt HOST:PORT] [--mqtt-prefix PREFIX]
//        [--settings FILE]                              the plant gateway
//   obr9 --help | --version                             either, no display needed
//
// Parsing needs no application object, so --help and --version are known
// before anything decides between QApplication and QCoreApplication. Options
// the windows do not know (Qt's own, such as -platform) are left to
// QApplication; in the windowless mode they are errors.
#pragma once

#include "program/Gateway.h"

#include <QString>
#include <QStringList>

struct CommandLine {
    enum Action { Windows, Headless, Help, Version, Error };
    Action action = Windows;
    obr9::GatewayOptions options;
    QString error;
};

CommandLine parseCommandLine(const QStringList& arguments);
// The usage text; needs the application object (QCoreApplication will do).
QString commandLineHelp();
QString commandLineVersion();
