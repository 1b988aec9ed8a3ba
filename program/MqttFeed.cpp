#include "program/MqttFeed.h"

#include "measure/CsvRecorder.h"
#include "mqtt/MqttPublisher.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

namespace obr9 {

namespace {

constexpr float kNoExternalSensor = -900.0f;

// Bits of the inputs-and-outputs status byte.
constexpr int kIn2Bit = 0;
constexpr int kIn1Bit = 1;
constexpr int kOut1Bit = 2;
constexpr int kOut2Bit = 3;

QByteArray bit(int byte, int n)
{
    return (byte >> n & 1) ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
}

} // namespace

void MqttFeed::value(const QString& topic, float v)
{
    publisher_.publishValue(topic, CsvRecorder::number(v));
}

void MqttFeed::driverValues(RecordKind kind, const float* values, int count)
{
    if (count < CsvRecorder::valueCount(kind))
        return;
    switch (kind) {
    case RecordKind::Voltage:
        value(QStringLiteral("driver/voltage"), values[0]);
        break;
    case RecordKind::TemperatureHumidity:
        value(QStringLiteral("driver/temperature"), values[0]);
        value(QStringLiteral("driver/humidity"), values[1]);
        break;
    case RecordKind::EightTemperatures:
        for (int k = 0; k < 8; ++k)
            value(QStringLiteral("driver/temperature/") + QString::number(k + 1), values[k]);
        break;
    case RecordKind::InputsOutputs: {
        const int byte = int(values[0]);
        publisher_.publishValue(QStringLiteral("driver/input/1"), bit(byte, kIn1Bit));
        publisher_.publishValue(QStringLiteral("driver/input/2"), bit(byte, kIn2Bit));
        publisher_.publishValue(QStringLiteral("driver/output/1"), bit(byte, kOut1Bit));
        publisher_.publishValue(QStringLiteral("driver/output/2"), bit(byte, kOut2Bit));
        break;
    }
    }
}

void MqttFeed::hq2Reading(int channel, float internal, float external, float volts)
{
    if (channel < 0 || channel >= 16)
        return;
    const QString base = QStringLiteral("hq2/") + QString::number(channel + 1) + QLatin1Char('/');
    value(base + QStringLiteral("internal"), internal);
    if (external == kNoExternalSensor)
        publisher_.publishValue(base + QStringLiteral("external"), QByteArray());
    else
        value(base + QStringLiteral("external"), external);
    value(base + QStringLiteral("voltage"), volts);
}

void MqttFeed::relayOutput(int n, bool on)
{
    if (n < 0 || n >= 32)
        return;
    publisher_.publishValue(QStringLiteral("vk8/%1/output/%2").arg(n / 8).arg(n % 8),
                            on ? QByteArrayLiteral("1") : QByteArrayLiteral("0"));
}

QByteArray MqttFeed::alarmJson(const AlarmChange& change)
{
    // Strings through QJsonValue for their escapes; numbers as the
    // recording files write them, which JSON reads as they are.
    auto text = [](const QString& s) {
        const QByteArray array = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    };
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(change.timeMs);
    const QString time = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
    QByteArray json = "{\"time\":" + text(time) + ",\"source\":" + text(change.source) +
                      ",\"kind\":" + text(change.kind) + ",\"state\":" + text(change.state);
    if (change.value)
        json += ",\"value\":" + CsvRecorder::number(*change.value);
    if (change.limit)
        json += ",\"limit\":" + CsvRecorder::number(*change.limit);
    return json + '}';
}

void MqttFeed::alarm(const AlarmChange& change)
{
    publisher_.publishEvent(QStringLiteral("alarm"), alarmJson(change));
}

} // namespace obr9
