#include "measure/ModuleChannelNames.h"

namespace obr9 {

ModuleChannelNames::ModuleChannelNames()
{
    for (int k = 0; k < kCount; ++k)
        names_[std::size_t(k)] = defaultName(k);
}

QString ModuleChannelNames::defaultName(int k)
{
    if (k < 0 || k >= kCount)
        return {};
    static const char* const prefixes[3] = {"intTemp", "extTemp", "Voltage"};
    return QLatin1String(prefixes[k / kChannels]) + QString::number(k % kChannels);
}

void ModuleChannelNames::setName(int k, const QString& name)
{
    if (k < 0 || k >= kCount)
        return;
    names_[std::size_t(k)] = name.trimmed().isEmpty() ? defaultName(k) : name;
}

const QString& ModuleChannelNames::name(int k) const
{
    static const QString none;
    return k < 0 || k >= kCount ? none : names_[std::size_t(k)];
}

} // namespace obr9
