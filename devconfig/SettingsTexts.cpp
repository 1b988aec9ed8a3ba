#include "devconfig/SettingsTexts.h"

#include "devconfig/AddressText.h"
#include "base/DeviceText.h"

namespace obr9 {

void SettingsTexts::fill(const SettingsRecord& r)
{
    name = deviceText(r.name).left(kNameWidth);
    if (r.lanMode <= 2)
        lanMode = r.lanMode;
    ip = addressText(r.ip);
    subnet = addressText(r.subnet);
    gateway = addressText(r.gateway);
    mac = macText(r.mac);
    destination = deviceText(r.destination);
    path = deviceText(r.path);
    destinationUser = deviceText(r.destinationUser);
    destinationPassword = deviceText(r.destinationPassword);
    dns = addressText(r.dns);
    destinationPort = QString::number(r.destinationPort);
    baudIndex = r.baudIndex <= 10 ? r.baudIndex : kDefaultBaudIndex;
    transmitTime = QString::number(r.transmitTime);
    bufferIndex = r.bufferIndex;
    stopBitsIndex = int(r.stopBits) - 1;
    dataBitsIndex = int(r.dataBits) - 5;
    parity = r.parity;
    rsMode = r.rsMode;
    rsId = QString::number(r.rsId);
}

} // namespace obr9
