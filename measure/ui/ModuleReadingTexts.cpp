#include "measure/ui/ModuleReadingTexts.h"

namespace obr9 {

QString ModuleReadingTexts::value(float value, const DisplayFormat& f)
{
    QString text = f.fixed(double(value), 7, 2);
    if (text.contains(QLatin1Char('E')) || text.contains(QLatin1Char('N')))
        return text; // exponent form, NAN, INF: nothing to group
    const QChar group = f.decimalSeparator() == QLatin1Char('.') ? QLatin1Char(',') : QChar(0x00A0);
    qsizetype end = text.indexOf(f.decimalSeparator());
    if (end < 0)
        end = text.size();
    const qsizetype begin = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    for (qsizetype at = end - 3; at > begin; at -= 3)
        text.insert(at, group);
    return text;
}

ModuleReadingTexts ModuleReadingTexts::of(const ModuleChannelReading& r, const ModuleChannelNames& names,
                                          const DisplayFormat& format)
{
    ModuleReadingTexts t;
    t.internal = value(r.internal, format);
    t.external = r.externalMissing ? QStringLiteral("N/A") : value(r.external, format);
    t.volts = value(r.volts, format);
    t.internalLabel = names.internalName(r.channel) + QLatin1String(" = ") + t.internal;
    t.externalLabel = names.externalName(r.channel) + QLatin1String(" = ") + t.external;
    return t;
}

} // namespace obr9
