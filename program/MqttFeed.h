// The program's readings as MQTT topics under the publisher's prefix, every
// value in the recording files' number format ("23.5", "-0.5"):
//
//   driver/temperature/1 .. 8         °C, eight-temperature sensor
//   driver/temperature, driver/humidity   °C and %, combined sensor
//   driver/voltage                    V
//   driver/input/1, /2, driver/output/1, /2   0 or 1 (IN1, IN2, OUT1, OUT2)
//   hq2/N/internal, /external, /voltage   N = 1 .. 16; °C, °C, V; an external
//                                     sensor that is not fitted clears its
//                                     retained value (empty payload)
//   vk8/M/output/K                    0 or 1, module M = 0 .. 3, output K = 0 .. 7
//   alarm                             one JSON object per alarm state change
//
// The driver values are the ones the recording takes (a temperature out of
// the sensor's range is published as received, as the CSV line has it).
#pragma once

#include "protocol/DeviceState.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace obr9 {

class MqttPublisher;

class MqttFeed {
public:
    explicit MqttFeed(MqttPublisher& publisher) : publisher_(publisher) {}

    // One decoded controller frame: kind and values as the recording gets them.
    void driverValues(RecordKind kind, const float* values, int count);
    // One HQ-2 channel reading; channel 0 .. 15. external -900 means no sensor.
    void hq2Reading(int channel, float internal, float external, float volts);
    // A VK8 module reported output n (0 .. 31: module n / 8, output n % 8).
    void relayOutput(int n, bool on);
    // An alarm state change as one JSON object (QoS 1, not retained):
    //   {"time":"2026-12-09T11:53:42.120+01:00","source":"Boiler in",
    //    "kind":"high","state":"active","value":31.5,"limit":30}
    // time in local ISO 8601 with its offset; value and limit left out when
    // the alarm has none.
    struct AlarmChange {
        qint64 timeMs = 0; // since 1970-01-01 UTC
        QString source;
        QString kind;
        QString state;
        std::optional<float> value;
        std::optional<float> limit;
    };
    void alarm(const AlarmChange& change);
    static QByteArray alarmJson(const AlarmChange& change);

private:
    void value(const QString& topic, float v);

    MqttPublisher& publisher_;
};

} // namespace obr9
