#include "sim/SimAddress.h"

#include <QStringList>

namespace obr9::sim {

bool isLoopbackIpv4(const QHostAddress& address)
{
    return address.protocol() == QAbstractSocket::IPv4Protocol &&
           address.isInSubnet(QHostAddress(QStringLiteral("127.0.0.0")), 8);
}

std::optional<SimEndpoint> parseLoopbackEndpoint(const QString& text, QString* error)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 2) {
        *error = QStringLiteral("'%1': give ADDR or ADDR:PORT with a numeric IPv4 address").arg(text);
        return std::nullopt;
    }
    SimEndpoint endpoint;
    if (!endpoint.address.setAddress(parts[0]) ||
        endpoint.address.protocol() != QAbstractSocket::IPv4Protocol) {
        *error = QStringLiteral("'%1' is not a numeric IPv4 address").arg(parts[0]);
        return std::nullopt;
    }
    if (!isLoopbackIpv4(endpoint.address)) {
        *error = QStringLiteral("refusing %1: only addresses in 127.0.0.0/8 are allowed")
                     .arg(endpoint.address.toString());
        return std::nullopt;
    }
    if (parts.size() == 2) {
        bool ok = false;
        const uint port = parts[1].toUInt(&ok);
        if (!ok || port > 65535) {
            *error = QStringLiteral("'%1' is not a port number").arg(parts[1]);
            return std::nullopt;
        }
        endpoint.port = static_cast<quint16>(port);
    }
    return endpoint;
}

} // namespace obr9::sim
