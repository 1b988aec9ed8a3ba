// Windows-style INI text, kept as its lines.
//
// QSettings quotes and escapes values, which breaks files in the classic
// layout; this class keeps every value as the plain bytes after '=' (commas,
// blanks, slashes and 8-bit characters unchanged). Lines it does not change
// (comments, foreign sections and keys) are written back byte for byte; only
// line ends become CR LF.
//
// Lookup rules follow the Windows profile functions: section and key names
// compare case-insensitively, blanks around names and values are ignored,
// and of duplicate sections or keys the first one counts. Text is 8-bit
// Latin-1 in both directions; characters outside it are written as '?'.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace obr9 {

class IniFile {
public:
    // Replaces the content with the file's. A missing file is not an error
    // and leaves the content empty; false only when an existing file cannot
    // be read (the content is then empty as well).
    bool load(const QString& path);
    // Atomic replacement: when writing fails, false, and the file on disk is
    // left as it was.
    bool save(const QString& path) const;

    // Accepts CR LF and LF line ends.
    void parse(const QByteArray& bytes);
    // Every line ended by CR LF.
    QByteArray toBytes() const;
    void clear() { m_lines.clear(); }

    bool contains(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Optional sign and decimal digits only; anything else, an overflow or a
    // missing key reads as defaultValue.
    int readInt(const QString& section, const QString& key, int defaultValue) const;

    // An existing key is rewritten on its own line; a new key goes after the
    // last key of its section (right after the header when it has none); a
    // new section is appended at the end. Line breaks inside value would
    // split the line and become blanks.
    void writeString(const QString& section, const QString& key, const QString& value);

private:
    int findSection(const QByteArray& section) const;
    int sectionEnd(int headerLine) const;
    int findKey(int headerLine, const QByteArray& key) const;
    std::optional<QByteArray> rawValue(const QString& section, const QString& key) const;

    QList<QByteArray> m_lines; // without line ends
};

} // namespace obr9
