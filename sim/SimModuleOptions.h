// How the simulated RS-485 modules behave: the HQ-2 temperature module and
// the VK8 relay modules behind the controller.
#pragma once

#include "sim/SimAddress.h"
#include "sim/SimOptions.h"

#include <QList>

#include <optional>

namespace obr9::sim {

struct SimModuleOptions {
    // Where the module stream goes: a pseudo-terminal (the program opens its
    // path as a serial port) and/or a loopback TCP port (the program's TCP
    // client, with the HQ-2 page shown).
    bool pseudoTerminal = false;
    std::optional<SimEndpoint> tcp;
    // Only the modules: no controller on the TCP link.
    bool modulesOnly = false;
    // The HQ-2 frames also go out on the controller's own link, between its
    // data frames, as a controller that forwards its RS-485 bus sends them.
    bool onControllerLink = false;

    // The HQ-2 sends its sixteen frames, one per channel, this often.
    Milliseconds period{1000};
    // Channels whose external sensor is not fitted (they send -900.0).
    QList<int> missingExternal{2, 9, 13};
    // Fault switch: stray bytes between frames.
    bool garbage = false;

    // Bus addresses (0..7) of the VK8 relay modules that answer.
    QList<int> relayAddresses{0, 1, 2, 3};

    bool enabled() const { return pseudoTerminal || tcp.has_value() || onControllerLink; }
};

} // namespace obr9::sim
