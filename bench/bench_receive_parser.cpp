// Throughput of the receive parser with the frame decoders, no windows.
//
// The stream mixes the four data frame types the way a controller sends
// them (eight temperatures, voltage, inputs/outputs, temperature/humidity),
// with a few stray bytes between frames, and is handed over in socket-sized
// reads. Prints MB/s per read size.
//
//   bench_receive_parser [megabytes=200]

#include "base/DisplayFormat.h"
#include "protocol/MeasurementDecoder.h"
#include "protocol/ReceiveParser.h"

#include <QByteArray>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace obr9;

namespace {

// Counts what the windows would be told, so nothing is optimised away.
class CountingListener : public ParserListener {
public:
    explicit CountingListener(MeasurementDecoder& d)
        : decoder(d)
    {
        // The number texts the windows make of the values.
        QObject::connect(&d, &MeasurementDecoder::temperatureChannelRead,
                         [this](int, const QString& name, float v) {
                             textChars += name.size() + format.general(v).size();
                         });
        QObject::connect(&d, &MeasurementDecoder::temperatureHumidityRead, [this](float t, float h) {
            textChars += format.general(t).size() + format.general(h).size();
        });
        QObject::connect(&d, &MeasurementDecoder::voltageRead,
                         [this](float v) { textChars += format.fixed(v).size(); });
        QObject::connect(&d, &MeasurementDecoder::recordDue,
                         [this](const float* values, int count, RecordKind) {
                             for (int i = 0; i < count; ++i)
                                 valueSum += double(values[i]);
                         });
    }
    void dataFrame(uint8_t type, const uint8_t* payload, int) override
    {
        ++frames;
        decoder.decode(type, payload);
    }
    MeasurementDecoder& decoder;
    DisplayFormat format;
    long long frames = 0;
    long long textChars = 0;
    double valueSum = 0;
};

void appendFrame(QByteArray& out, uint8_t type, const QByteArray& payload)
{
    out.append(char(0xFF)).append(char(0x01)).append(char(0x01));
    out.append(char(type)).append(char(payload.size())).append(payload);
}

QByteArray mixedStream(int targetBytes)
{
    QByteArray out;
    out.reserve(targetBytes + 512);
    static const char* names[8] = {"Boiler", "Return", "Flow", "Outside",
                                   "Tank top", "Tank bottom", "Room", "Cellar"};
    unsigned step = 0;
    while (out.size() < targetBytes) {
        ++step;
        QByteArray eight(216, '\0');
        for (int k = 0; k < 8; ++k) {
            const int16_t raw = int16_t(40 + k * 3 + int(step % 17) - (k == 3 ? 80 : 0));
            eight[2 * k] = char(uint16_t(raw) >> 8);
            eight[2 * k + 1] = char(raw & 0xFF);
            std::memcpy(eight.data() + 16 + 25 * k, names[k], std::strlen(names[k]));
        }
        appendFrame(out, 1, eight);

        const uint16_t volts = uint16_t(180 + step % 23);
        appendFrame(out, 4, QByteArray{char(volts & 0xFF), char(volts >> 8)});
        appendFrame(out, 2, QByteArray(1, char(step & 0x0F)));
        appendFrame(out, 4, QByteArray{char(volts & 0xFF), char(volts >> 8)});

        float th[2] = {45.5f + float(step % 7), 21.25f + float(step % 5) * 0.1f};
        appendFrame(out, 3, QByteArray(reinterpret_cast<const char*>(th), 8));
        if (step % 8 == 0)
            out.append("\x00\x10 ", 3); // stray bytes between frames
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 200;
    const QByteArray chunkOfStream = mixedStream(4 << 20);

    const int readSizes[] = {64, 1460, 65536, ReceiveParser::kReceiveBufferSize};
    for (int readSize : readSizes) {
        auto state = std::make_unique<DeviceState>();
        auto temperatures = std::make_unique<TemperatureHistory>();
        auto voltage = std::make_unique<VoltageHistory>();
        MeasurementDecoder decoder(*state, *temperatures, *voltage);
        CountingListener listener(decoder);
        auto parser = std::make_unique<ReceiveParser>(&listener);

        const long long total = (long long)megabytes << 20;
        long long done = 0;
        const auto* data = reinterpret_cast<const uint8_t*>(chunkOfStream.constData());
        const auto start = std::chrono::steady_clock::now();
        while (done < total) {
            int offset = 0;
            while (offset < chunkOfStream.size()) {
                const int n = std::min<int>(readSize, int(chunkOfStream.size()) - offset);
                offset += parser->acceptRead(data + offset, n);
            }
            done += chunkOfStream.size();
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("read size %6d B: %8.1f MB/s  (%lld frames, %.1f M frames/s)\n", readSize,
                    double(done) / 1e6 / seconds, listener.frames,
                    double(listener.frames) / 1e6 / seconds);
        if (listener.textChars == 0 || listener.valueSum == 0)
            return 1;
    }
    return 0;
}
