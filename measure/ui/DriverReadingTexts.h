// The Driver page's texts of the controller's readings, shared by the main
// window's labels and the chart window's channel boxes.
#pragma once

#include "base/DisplayFormat.h"

#include <QString>

namespace obr9::DriverReadingTexts {

// "Boiler=21.5°C": the device's channel name, the value in the general form.
QString channel(const QString& name, float celsius, const DisplayFormat& format);
// "Boiler=21.5": the label after the operator renames a channel, until the
// next frame.
QString renamedChannel(const QString& name, float celsius, const DisplayFormat& format);
QString temperature(float celsius, const DisplayFormat& format);      // "Temperature=21.25°C"
QString humidity(float humidityPercent, const DisplayFormat& format); // "Humidity=45.5%"
QString voltage(float volts, const DisplayFormat& format);             // "9.98V"

} // namespace obr9::DriverReadingTexts
