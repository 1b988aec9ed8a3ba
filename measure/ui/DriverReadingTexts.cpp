#include "measure/ui/DriverReadingTexts.h"

namespace obr9::DriverReadingTexts {

namespace {
const QString kDegreesCelsius = QStringLiteral(u"\u00B0C");
} // namespace

QString renamedChannel(const QString& name, float celsius, const DisplayFormat& format)
{
    QString text;
    text.reserve(name.size() + 24);
    text += name;
    text += QLatin1Char('=');
    format.appendGeneral(text, double(celsius));
    return text;
}

QString channel(const QString& name, float celsius, const DisplayFormat& format)
{
    return renamedChannel(name, celsius, format) + kDegreesCelsius;
}

QString temperature(float celsius, const DisplayFormat& format)
{
    QString text = QStringLiteral("Temperature=");
    format.appendGeneral(text, double(celsius));
    return text + kDegreesCelsius;
}

QString humidity(float humidityPercent, const DisplayFormat& format)
{
    QString text = QStringLiteral("Humidity=");
    format.appendGeneral(text, double(humidityPercent));
    return text + QLatin1Char('%');
}

QString voltage(float volts, const DisplayFormat& format)
{
    QString text;
    format.appendFixed(text, double(volts));
    return text + QLatin1Char('V');
}

} // namespace obr9::DriverReadingTexts
