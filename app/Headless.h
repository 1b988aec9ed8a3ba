// The windowless mode's process: a QCoreApplication (no platform plugin, no
// display), one Gateway, its log lines on standard error (where journald
// takes them), and SIGTERM or SIGINT ending it cleanly.
#pragma once

#include "program/Gateway.h"

int runHeadless(int& argc, char** argv, const obr9::GatewayOptions& options);
