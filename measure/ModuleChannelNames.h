// Names of the HQ-2 module's channels, as the temperature table holds them.
//
// Index k: 0..15 internal channel k, 16..31 external channel k - 16 (the
// order of the value labels), 32..47 voltage channel k - 32. The table
// feeds every rename here; a name left blank falls back to its default
// ("intTemp3", "extTemp3", "Voltage3"), so no label ever starts with " = ".
#pragma once

#include <QString>

#include <array>

namespace obr9 {

class ModuleChannelNames {
public:
    static constexpr int kChannels = 16;
    static constexpr int kCount = 3 * kChannels;

    ModuleChannelNames();

    // Out-of-range k is ignored; a blank name restores the default.
    void setName(int k, const QString& name);
    // Out-of-range k reads as an empty text.
    const QString& name(int k) const;

    const QString& internalName(int channel) const { return name(channel); }
    const QString& externalName(int channel) const { return name(kChannels + channel); }
    const QString& voltageName(int channel) const { return name(2 * kChannels + channel); }

    static QString defaultName(int k);

private:
    std::array<QString, kCount> names_;
};

} // namespace obr9
