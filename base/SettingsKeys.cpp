#include "base/SettingsKeys.h"

#include "base/IniFile.h"

#include <exception>

namespace obr9 {

namespace {

QString indexed(const char* family, int index)
{
    return QLatin1StringView(family) + QString::number(index);
}

// Channel names the program starts with when there is no settings file.
QString nameFallback(int n)
{
    if (n <= 24)
        return QStringLiteral("intTemp") + QString::number(n - 9);
    if (n <= 40)
        return QStringLiteral("extTemp") + QString::number(n - 25);
    return QStringLiteral("Voltage") + QString::number(n - 41);
}

} // namespace

SettingsKeyTable::SettingsKeyTable()
{
    declareKeys();
    declareReadOrder();
    declareWriteOrder();
    Q_ASSERT(m_writeOrder.size() == m_keys.size());
    Q_ASSERT(m_readOrder.size() == m_keys.size() - 1);
}

void SettingsKeyTable::readFamily(const char* family, int first, int last)
{
    for (int n = first; n <= last; ++n)
        m_readOrder.append(indexOf(indexed(family, n)));
}

void SettingsKeyTable::writeFamily(const char* family, int first, int last)
{
    for (int n = first; n <= last; ++n)
        m_writeOrder.append(indexOf(indexed(family, n)));
}

void SettingsKeyTable::declareKeys()
{
    using T = SettingsReadType;
    using P = SettingsReadPolicy;

    addFamily("outName", 0, 31, T::Text, P::WithFile);
    addFamily("ImgOffName", 0, 31, T::Text, P::WithFile);
    addFamily("ImgOnName", 0, 31, T::Text, P::WithFile);
    addFamily("outMode", 0, 31, T::TextAsInteger, P::WithFile);
    addFamily("outTime", 0, 31, T::TextAsInteger, P::WithFile);
    addFamily("ID", 0, 3, T::TextAsInteger, P::WithFile);
    addFamily("devName", 0, 3, T::Text, P::WithFile);
    addFamily("name", 9, 56, T::Text, P::WithFileElseFallback);
    addFamily("TINTmax", 0, 15, T::Text, P::WithFile);
    addFamily("TINTmin", 0, 15, T::Text, P::WithFile);
    addFamily("TEXTmax", 0, 15, T::Text, P::WithFile);
    addFamily("TEXTmin", 0, 15, T::Text, P::WithFile);
    addFamily("chan", 0, 31, T::Text, P::Always);
    addFamily("chanV", 0, 15, T::Text, P::Always);
    addSingle("index", T::Integer, P::Always);
    addSingle("3DView", T::Integer, P::Always);
    addSingle("AutoPan", T::Integer, P::Always);
    addSingle("recordTemperatures", T::Integer, P::Always);
    addSingle("recordVoltages", T::Integer, P::Always);
    addSingle("VTSwitch", T::Text, P::WithFile);
    addSingle("period", T::Text, P::WithFile);
    addSingle("Range", T::Text, P::Never);
    addSingle("pgCtrl", T::Integer, P::Always);
    m_bindings.resize(m_keys.size());
}

// Start-up: relay page, channel names and limits, channel lists, options.
void SettingsKeyTable::declareReadOrder()
{
    auto read = [this](const QString& name) { m_readOrder.append(indexOf(name)); };
    readFamily("outName", 0, 31);
    for (int n = 0; n < 32; ++n) {
        read(indexed("ImgOffName", n));
        read(indexed("ImgOnName", n));
    }
    readFamily("outMode", 0, 31);
    readFamily("outTime", 0, 31);
    readFamily("ID", 0, 3);
    readFamily("devName", 0, 3);
    for (int i = 0; i < 16; ++i) {
        read(indexed("name", 9 + i));
        read(indexed("name", 25 + i));
        read(indexed("name", 41 + i));
        read(indexed("TINTmax", i));
        read(indexed("TINTmin", i));
        read(indexed("TEXTmax", i));
        read(indexed("TEXTmin", i));
    }
    for (int i = 0; i < 16; ++i) {
        read(indexed("chan", i));
        read(indexed("chan", i + 16));
        read(indexed("chanV", i));
    }
    for (const char* name : {"index", "3DView", "AutoPan", "recordTemperatures", "recordVoltages", "VTSwitch", "period", "pgCtrl"})
        read(QLatin1StringView(name));
}

void SettingsKeyTable::declareWriteOrder()
{
    auto write = [this](const QString& name) { m_writeOrder.append(indexOf(name)); };
    for (int i = 0; i < 16; ++i) {
        write(indexed("name", 9 + i));
        write(indexed("name", 25 + i));
        write(indexed("name", 41 + i));
        write(indexed("TINTmax", i));
        write(indexed("TINTmin", i));
        write(indexed("TEXTmax", i));
        write(indexed("TEXTmin", i));
    }
    writeFamily("chan", 0, 31);
    writeFamily("chanV", 0, 15);
    for (const char* name : {"VTSwitch", "3DView", "AutoPan", "recordTemperatures", "recordVoltages", "Range", "period"})
        write(QLatin1StringView(name));
    writeFamily("outName", 0, 31);
    write(QStringLiteral("index"));
    writeFamily("ID", 0, 3);
    write(QStringLiteral("pgCtrl"));
    writeFamily("devName", 0, 3);
    writeFamily("ImgOffName", 0, 31);
    writeFamily("ImgOnName", 0, 31);
    writeFamily("outMode", 0, 31);
    writeFamily("outTime", 0, 31);
}

void SettingsKeyTable::addFamily(const char* family, int first, int last, SettingsReadType type, SettingsReadPolicy policy)
{
    for (int n = first; n <= last; ++n) {
        SettingsKey key{indexed(family, n), QLatin1StringView(family), n, type, policy, {}};
        if (policy == SettingsReadPolicy::WithFileElseFallback)
            key.fallback = nameFallback(n);
        m_byName.insert(key.name, int(m_keys.size()));
        m_keys.append(key);
    }
}

void SettingsKeyTable::addSingle(const char* name, SettingsReadType type, SettingsReadPolicy policy)
{
    const QString text = QLatin1StringView(name);
    m_byName.insert(text, int(m_keys.size()));
    m_keys.append(SettingsKey{text, text, -1, type, policy, {}});
}

int SettingsKeyTable::indexOf(const QString& name) const
{
    return m_byName.value(name, -1);
}

const SettingsKey* SettingsKeyTable::key(const QString& name) const
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : &m_keys[i];
}

QStringList SettingsKeyTable::names(const QList<int>& order) const
{
    QStringList result;
    result.reserve(order.size());
    for (int i : order)
        result.append(m_keys[i].name);
    return result;
}

QStringList SettingsKeyTable::readOrder(bool fileExists) const
{
    if (fileExists)
        return names(m_readOrder);
    QList<int> order;
    for (int i : m_readOrder) {
        if (m_keys[i].policy != SettingsReadPolicy::WithFile)
            order.append(i);
    }
    return names(order);
}

QStringList SettingsKeyTable::writeOrder() const
{
    return names(m_writeOrder);
}

bool SettingsKeyTable::bind(const QString& name, Apply apply, Current current)
{
    const int i = indexOf(name);
    if (i < 0)
        return false;
    m_bindings[i] = Binding{std::move(apply), std::move(current)};
    return true;
}

bool SettingsKeyTable::bindFamily(const QString& family, FamilyApply apply, FamilyCurrent current)
{
    bool any = false;
    for (int i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i].family != family)
            continue;
        const int n = m_keys[i].index;
        Binding& binding = m_bindings[i];
        binding.apply = apply ? Apply([apply, n](const SettingsValue& value) { return apply(n, value); }) : Apply();
        binding.current = current ? Current([current, n] { return current(n); }) : Current();
        any = true;
    }
    return any;
}

bool SettingsKeyTable::isBound(const QString& name) const
{
    const int i = indexOf(name);
    return i >= 0 && (m_bindings[i].apply || m_bindings[i].current);
}

bool SettingsKeyTable::readValue(const SettingsKey& key, const IniFile& ini, bool fileExists, SettingsValue& value) const
{
    value.fromFile = fileExists;
    if (!fileExists && key.policy == SettingsReadPolicy::WithFileElseFallback) {
        value.text = key.fallback;
        return true;
    }
    switch (key.type) {
    case SettingsReadType::Text:
        value.text = ini.readString(settingsSection, key.name, QStringLiteral("0"));
        return true;
    case SettingsReadType::Integer:
        value.number = ini.readInt(settingsSection, key.name, 0);
        value.text = QString::number(value.number);
        return true;
    case SettingsReadType::TextAsInteger: {
        value.text = ini.readString(settingsSection, key.name, QStringLiteral("0"));
        bool ok = false;
        value.number = value.text.toInt(&ok, 10);
        return ok;
    }
    }
    return false;
}

QStringList SettingsKeyTable::load(const IniFile& ini, bool fileExists) const
{
    QStringList rejected;
    for (int i : m_readOrder) {
        const SettingsKey& key = m_keys[i];
        const Apply& apply = m_bindings[i].apply;
        if (!apply || (!fileExists && key.policy == SettingsReadPolicy::WithFile))
            continue;
        SettingsValue value;
        bool used = readValue(key, ini, fileExists, value);
        if (used) {
            try {
                used = apply(value);
            } catch (const std::exception&) {
                used = false;
            }
        }
        if (!used)
            rejected.append(key.name);
    }
    return rejected;
}

void SettingsKeyTable::save(IniFile& ini) const
{
    for (int i : m_writeOrder) {
        const Current& current = m_bindings[i].current;
        if (!current)
            continue;
        QString text;
        try {
            text = current();
        } catch (const std::exception&) {
            continue; // the file keeps the key's previous value
        }
        ini.writeString(settingsSection, m_keys[i].name, text);
    }
}

} // namespace obr9
