// The keys of section "Settings" of the settings file, the order in which
// start-up reads them and shutdown writes them, and the handlers the windows
// bind to them.
//
// Key names carry their index in decimal without separator ("outName7").
// Every value is stored as text ("1"/"0" for boxes).
#pragma once

#include <QHash>
#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace obr9 {

class IniFile;

inline constexpr QLatin1StringView settingsSection("Settings");

enum class SettingsReadType {
    Text,          // default "0"
    Integer,       // default 0; text that is no integer also reads as 0
    TextAsInteger, // read as text (default "0"), then converted; text that is no integer is rejected
};

enum class SettingsReadPolicy {
    WithFile,             // read only when the settings file exists
    Always,               // also without the file, yielding the default
    WithFileElseFallback, // without the file the key's fallback text is applied
    Never,                // written at shutdown, never read
};

struct SettingsKey {
    QString name;   // as in the file, e.g. "outName7"
    QString family; // e.g. "outName"
    int index = -1; // -1 for keys without an index
    SettingsReadType type = SettingsReadType::Text;
    SettingsReadPolicy policy = SettingsReadPolicy::WithFile;
    QString fallback; // WithFileElseFallback keys only
};

struct SettingsValue {
    QString text;  // the text read; for Integer keys the decimal form of number
    int number = 0; // Integer and TextAsInteger keys
    // false when there is no settings file and text is a default or fallback;
    // the voltage channel names need it (without the file only their table
    // column takes the fallback).
    bool fromFile = false;
};

class SettingsKeyTable {
public:
    // Returns false when the value cannot be used; the key then keeps the
    // value its owner had before.
    using Apply = std::function<bool(const SettingsValue&)>;
    // The text written at shutdown.
    using Current = std::function<QString()>;
    using FamilyApply = std::function<bool(int index, const SettingsValue&)>;
    using FamilyCurrent = std::function<QString(int index)>;

    SettingsKeyTable();

    // Grouped by family, in index order.
    const QList<SettingsKey>& keys() const { return m_keys; }
    const SettingsKey* key(const QString& name) const;

    QStringList readOrder(bool fileExists) const;
    QStringList writeOrder() const;

    // Either handler may be empty: a key without apply is not read, a key
    // without current is not written. Binding again replaces the handlers.
    // False when no key has that name.
    bool bind(const QString& name, Apply apply, Current current);
    // Binds every index of a family ("outName" -> outName0..31); false when
    // no key belongs to family.
    bool bindFamily(const QString& family, FamilyApply apply, FamilyCurrent current);
    bool isBound(const QString& name) const;

    // Applies the keys in start-up order. Each key stands alone: a value that
    // cannot be used, an apply that returns false or throws, costs that key
    // only. Returns the names of the rejected keys, in read order.
    QStringList load(const IniFile& ini, bool fileExists) const;
    // Writes the current value of every key that has one, in shutdown order.
    // Keys without a current handler (their page not built) keep their
    // lines in ini untouched.
    void save(IniFile& ini) const;

private:
    struct Binding {
        Apply apply;
        Current current;
    };

    // The keys with their types and policies, then the order start-up reads
    // them in and the order shutdown writes them in.
    void declareKeys();
    void declareReadOrder();
    void declareWriteOrder();
    void readFamily(const char* family, int first, int last);
    void writeFamily(const char* family, int first, int last);
    void addFamily(const char* family, int first, int last, SettingsReadType type, SettingsReadPolicy policy);
    void addSingle(const char* name, SettingsReadType type, SettingsReadPolicy policy);
    int indexOf(const QString& name) const;
    QStringList names(const QList<int>& order) const;
    bool readValue(const SettingsKey& key, const IniFile& ini, bool fileExists, SettingsValue& value) const;

    QList<SettingsKey> m_keys;
    QList<Binding> m_bindings; // parallel to m_keys
    QHash<QString, int> m_byName;
    QList<int> m_readOrder; // as with an existing file; Never keys absent
    QList<int> m_writeOrder;
};

} // namespace obr9
