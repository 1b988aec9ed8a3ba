// The simulator talks to this machine only: every address it listens on or
// connects to must lie in 127.0.0.0/8. Names are never resolved.
#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

namespace obr9::sim {

inline constexpr quint16 kDefaultPort = 8090;

struct SimEndpoint {
    QHostAddress address;
    quint16 port = kDefaultPort;
};

bool isLoopbackIpv4(const QHostAddress& address);

// "ADDR" or "ADDR:PORT" with ADDR a numeric IPv4 address in 127.0.0.0/8.
// On failure returns nothing and says why in *error.
std::optional<SimEndpoint> parseLoopbackEndpoint(const QString& text, QString* error);

} // namespace obr9::sim
