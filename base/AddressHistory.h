// The address history of the controller address box: "Ip addresses.txt",
// one address per line, 8-bit text, lines ended by CR LF.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace obr9 {

class AddressHistory {
public:
    static constexpr const char* fileName = "Ip addresses.txt";

    // An empty directory means the working directory, whatever it is when
    // the file is touched (the name is then relative).
    explicit AddressHistory(QString directory = {});

    QString filePath() const;

    // The file's lines as the items of the address list, in file order; CR LF
    // and LF both end a line. Empty optional when the file is missing or
    // unreadable: the caller keeps its designed list.
    std::optional<QStringList> read() const;
    // Creates or replaces the file atomically; false when it cannot be written.
    bool write(const QStringList& items) const;

    // The file's bytes as items, and items as the file's bytes (Latin-1,
    // characters outside it as '?').
    static QStringList parse(const QByteArray& bytes);
    static QByteArray toBytes(const QStringList& items);

    // Connecting remembers the address: appended last unless an item is
    // exactly equal to it. True when it was appended.
    static bool remember(QStringList& items, const QString& address);

private:
    QString m_directory;
};

} // namespace obr9
