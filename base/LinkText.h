// Texts of the links, exactly as the operator and the memo see them. They sit
// this low because dialogs that only show a text must not pull in the links.
#pragma once

#include <QString>

namespace obr9 {

namespace LinkText {
inline const QString lan = QStringLiteral("LAN");
inline const QString deviceNotConnected = QStringLiteral("Device not connected");
inline const QString tryToConnect = QStringLiteral("Try to connnect OBR-9...");
inline const QString connected = QStringLiteral("OBR-9 device connected");
inline const QString notConnected = QStringLiteral("OBR-9 device not connected");
inline const QString timeOut = QStringLiteral("Time Out");
inline const QString sentRs485 = QStringLiteral("Wyslano komende rs485");
inline const QString serialWriteFailed = QStringLiteral("hej, cos ne tak");
inline const QString noConnection = QStringLiteral(u"brak po\u0142\u0105czenia");
inline const QString portOpened = QStringLiteral("PORT_POLACZONY");
inline const QString portOpenFailed = QStringLiteral("BLAD_OTWARCIA_PORTU");
inline const QString portClosed = QStringLiteral("PORT_NIEPOLACZONY");
inline const QString portLost = QStringLiteral("PORT_UTRACONY ");      // + the port's name
inline const QString portLostCaption = QStringLiteral("Port lost: "); // + the port's name
inline const QString speedPrefix = QStringLiteral("Szybkosc->");
inline const QString listening = QStringLiteral("nasluchuje...");
inline const QString clientConnected = QStringLiteral("klient podlaczony");
inline const QString clientDisconnected = QStringLiteral("klient rozlaczony");
inline const QString serverIdle = QStringLiteral("brak polaczenia");
} // namespace LinkText

} // namespace obr9
