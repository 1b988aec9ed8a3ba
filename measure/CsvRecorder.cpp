#include "measure/CsvRecorder.h"

#include "protocol/DeviceState.h"

#include <QFile>

#include <charconv>

namespace obr9 {

namespace {

// Room for eight floats of at most 13 characters each and the time fields.
constexpr int kLineCapacity = 256;

char* appendFloat(char* out, char* end, float value)
{
    // printf's %g: 6 significant digits, no trailing zeros, e+NN exponents.
    return std::to_chars(out, end, double(value), std::chars_format::general, 6).ptr;
}

char* appendInt(char* out, char* end, int value)
{
    return std::to_chars(out, end, value).ptr;
}

char* appendTwoDigits(char* out, int value)
{
    *out++ = char('0' + value / 10 % 10);
    *out++ = char('0' + value % 10);
    return out;
}

} // namespace

int CsvRecorder::valueCount(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Voltage:
    case RecordKind::InputsOutputs:
        return 1;
    case RecordKind::TemperatureHumidity:
        return 2;
    case RecordKind::EightTemperatures:
        return 8;
    default:
        return 0;
    }
}

QString CsvRecorder::fileName(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Voltage:
        return QStringLiteral("voltage.csv");
    case RecordKind::TemperatureHumidity:
        return QStringLiteral("tempum.csv");
    case RecordKind::EightTemperatures:
        return QStringLiteral("temperatures.csv");
    case RecordKind::InputsOutputs:
        return QStringLiteral("IO.csv");
    default:
        return {};
    }
}

QByteArray CsvRecorder::number(float value)
{
    char buffer[32];
    return QByteArray(buffer, int(appendFloat(buffer, buffer + sizeof buffer, value) - buffer));
}

QByteArray CsvRecorder::line(const float* values, RecordKind kind, const QDateTime& when,
                             int voltageIntervalIndex, int temperatureIntervalIndex)
{
    const int count = valueCount(kind);
    if (count == 0)
        return {};

    char buffer[kLineCapacity];
    char* const end = buffer + sizeof buffer;
    char* out = buffer;
    for (int i = 0; i < count; ++i) {
        out = appendFloat(out, end, values[i]);
        *out++ = ',';
    }

    const QDate date = when.date();
    const QTime time = when.time();
    out = appendInt(out, end, date.year());
    out = appendTwoDigits(out, date.month());
    out = appendTwoDigits(out, date.day());
    *out++ = ',';
    out = appendInt(out, end, time.hour());
    *out++ = ':';
    out = appendInt(out, end, time.minute());
    *out++ = ':';
    out = appendInt(out, end, time.second());

    switch (kind) {
    case RecordKind::InputsOutputs:
        *out++ = ':';
        out = appendInt(out, end, time.msec());
        break;
    case RecordKind::Voltage:
        *out++ = ':';
        out = appendInt(out, end, time.msec());
        *out++ = ',';
        out = appendInt(out, end, voltageIntervalIndex);
        break;
    case RecordKind::EightTemperatures:
        *out++ = ',';
        out = appendInt(out, end, temperatureIntervalIndex);
        break;
    default:
        break;
    }
    *out++ = '\n';
    return QByteArray(buffer, int(out - buffer));
}

QByteArray CsvRecorder::header(RecordKind kind, const std::array<QByteArray, 8>& channelNames)
{
    if (kind == RecordKind::TemperatureHumidity)
        return QByteArrayLiteral("temperature,humidity\n");
    if (kind != RecordKind::EightTemperatures)
        return {};
    // Names go in as the controller sent them: a comma in a name is not quoted.
    QByteArray text;
    for (size_t k = 0; k < channelNames.size(); ++k) {
        if (k > 0)
            text += ',';
        text += channelNames[k];
    }
    text += '\n';
    return text;
}

CsvRecorder::CsvRecorder(QString directory, Clock clock)
    : directory_(std::move(directory))
{
    setClock(std::move(clock));
}

void CsvRecorder::setClock(Clock clock)
{
    clock_ = clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); });
}

QString CsvRecorder::filePath(RecordKind kind) const
{
    const QString name = fileName(kind);
    if (name.isEmpty() || directory_.isEmpty())
        return name;
    return directory_ + QLatin1Char('/') + name;
}

CsvRecorder::Result CsvRecorder::append(const float* values, RecordKind kind, int voltageIntervalIndex,
                                        int temperatureIntervalIndex,
                                        const std::array<QByteArray, 8>& channelNames)
{
    const QDateTime now = clock_();
    const QString path = filePath(kind);
    if (path.isEmpty())
        return {};

    if (!QFile::exists(path)) {
        QFile created(path);
        if (!created.open(QIODevice::WriteOnly))
            return {false, path};
        const QByteArray first = header(kind, channelNames);
        if (!first.isEmpty() && created.write(first) != first.size())
            return {false, path};
    }

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return {false, path};
    const QByteArray text =
        line(values, kind, now, voltageIntervalIndex, temperatureIntervalIndex);
    if (file.write(text) != text.size() || !file.flush())
        return {false, path};
    return {true, {}};
}

} // namespace obr9
