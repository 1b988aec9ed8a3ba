// The HQ-2 page's texts of one channel reading: the table cells ("21.50",
// "N/A") and the value labels ("Boiler = 21.50").
#pragma once

#include "base/DisplayFormat.h"
#include "measure/ModuleChannelNames.h"
#include "measure/ModuleStreamListener.h"

#include <QString>

namespace obr9 {

struct ModuleReadingTexts {
    QString internal; // "21.50"
    QString external; // "N/A" when no external sensor is fitted
    QString volts;
    QString internalLabel; // channel name + " = " + internal
    QString externalLabel;

    static ModuleReadingTexts of(const ModuleChannelReading& reading, const ModuleChannelNames& names,
                                 const DisplayFormat& format);

    // Two decimals, at most seven significant digits, thousands grouped
    // ("," with the "." separator, a no-break space with ",").
    static QString value(float value, const DisplayFormat& format);
};

} // namespace obr9
