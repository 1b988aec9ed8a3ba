#include "sim/SimModules.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace obr9::sim {

namespace {
constexpr int kFrameSize = 20;
constexpr int kRequestSize = 12;
constexpr uint8_t kKindRelay = 1;
constexpr uint8_t kKindChannel = 2;
constexpr uint8_t kRequestSwitch = 0x04;
constexpr uint8_t kRequestState = 0x03;
constexpr double kCountsPerVolt = 15.31;

// Stray bytes: any value may turn up on a noisy bus.
constexpr std::array<uint8_t, 7> kGarbagePool{0x00, 0x02, 0xFF, 0x55, 0x10, 0xA7, 0x01};

void putFloat(uint8_t* at, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(bits >> (8 * i));
}
} // namespace

SimModules::SimModules(SimModuleOptions options, QObject* parent)
    : QObject(parent)
    , options_(std::move(options))
{
    connect(&timer_, &QTimer::timeout, this, [this] {
        const QByteArray frames = nextHq2Frames();
        emit bytesOut(withGarbage(frames));
        emit hq2FramesOut(frames);
    });
}

void SimModules::start()
{
    timer_.start(options_.period);
}

void SimModules::stop()
{
    timer_.stop();
}

uint16_t SimModules::crc16Modbus(const uint8_t* data, int count)
{
    uint16_t crc = 0xFFFF;
    for (int i = 0; i < count; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

QByteArray SimModules::channelFrame(int channel, float internal, float external, uint16_t voltageCount)
{
    uint8_t f[kFrameSize] = {};
    f[0] = uint8_t(channel);
    f[3] = kKindChannel;
    putFloat(f + 4, internal);
    putFloat(f + 8, external);
    f[12] = uint8_t(voltageCount);
    f[13] = uint8_t(voltageCount >> 8);
    const uint16_t crc = crc16Modbus(f, 18);
    f[18] = uint8_t(crc);
    f[19] = uint8_t(crc >> 8);
    return QByteArray(reinterpret_cast<const char*>(f), kFrameSize);
}

QByteArray SimModules::relayStateFrame(uint8_t outputBits)
{
    uint8_t f[kFrameSize] = {};
    f[3] = kKindRelay;
    f[4] = outputBits;
    const uint16_t crc = crc16Modbus(f, 18);
    f[18] = uint8_t(crc);
    f[19] = uint8_t(crc >> 8);
    return QByteArray(reinterpret_cast<const char*>(f), kFrameSize);
}

QByteArray SimModules::linkSafeChannelFrame(int channel, float internal, float external, uint16_t voltageCount)
{
    QByteArray frame = channelFrame(channel, internal, external, voltageCount);
    if (!holdsLinkStart(frame))
        return frame;

    auto floatBytesClear = [](float value) {
        uint8_t bytes[4];
        putFloat(bytes, value);
        return std::find(bytes, bytes + 4, uint8_t(0xFF)) == bytes + 4;
    };
    // The nearest float (either side) whose own four bytes hold no 0xFF;
    // at most 2^16 steps away, since a third byte 0xFF is left within that.
    auto nearestClearFloat = [&](float value) {
        float up = value;
        float down = value;
        for (int step = 0; step < (1 << 17); ++step) {
            if (floatBytesClear(up))
                return up;
            if (floatBytesClear(down))
                return down;
            up = std::nextafter(up, std::numeric_limits<float>::infinity());
            down = std::nextafter(down, -std::numeric_limits<float>::infinity());
        }
        return value; // not reached for a finite reading
    };
    external = nearestClearFloat(external);
    auto countClear = [](int count) { return (count & 0xFF) != 0xFF && (count >> 8) != 0xFF; };
    for (int distance = 0; !countClear(voltageCount); ++distance) {
        const int below = int(voltageCount) - distance;
        const int above = int(voltageCount) + distance;
        if (below >= 0 && countClear(below))
            voltageCount = uint16_t(below);
        else if (above <= 0xFFFF && countClear(above))
            voltageCount = uint16_t(above);
    }

    // The CRC: the internal temperature's low two bytes alone reach every
    // CRC value (CRC-16 is a bijection of any 16 consecutive input bits), so
    // a clear frame lies within 2^16 float steps either side.
    float up = internal;
    float down = internal;
    for (int step = 0; step < (1 << 17); ++step) {
        frame = channelFrame(channel, up, external, voltageCount);
        if (!holdsLinkStart(frame))
            return frame;
        frame = channelFrame(channel, down, external, voltageCount);
        if (!holdsLinkStart(frame))
            return frame;
        up = std::nextafter(up, std::numeric_limits<float>::infinity());
        down = std::nextafter(down, -std::numeric_limits<float>::infinity());
    }
    return frame; // not reached for a finite reading
}

QByteArray SimModules::nextHq2Frames()
{
    QByteArray out;
    const double phase = double(round_++) / 60.0;
    for (int ch = 0; ch < kChannels; ++ch) {
        const float internal = float(20.0 + ch * 0.75 + 2.0 * std::sin(phase + ch));
        const float external = options_.missingExternal.contains(ch)
                                   ? kNoSensor
                                   : float(15.0 + ch * 0.5 + 1.5 * std::cos(phase - ch));
        const double volts = 12.0 + ch * 0.25 + 0.1 * std::sin(phase * 3.0);
        out.append(linkSafeChannelFrame(ch, internal, external, uint16_t(std::lround(volts * kCountsPerVolt))));
    }
    return out;
}

QByteArray SimModules::withGarbage(const QByteArray& frames)
{
    if (!options_.garbage)
        return frames;
    QByteArray out;
    for (qsizetype at = 0; at < frames.size(); at += kFrameSize) {
        const int n = 1 + int(garbageCounter_ % 3);
        for (int i = 0; i < n; ++i)
            out.append(char(kGarbagePool[(garbageCounter_ + unsigned(i)) % kGarbagePool.size()]));
        ++garbageCounter_;
        out.append(frames.mid(at, kFrameSize));
    }
    return out;
}

QByteArray SimModules::hq2Round()
{
    return withGarbage(nextHq2Frames());
}

bool SimModules::isRelay(int address) const
{
    return options_.relayAddresses.contains(address);
}

uint8_t SimModules::relayBits(int address) const
{
    return address >= 0 && address < int(relayBits_.size()) ? relayBits_[std::size_t(address)] : 0;
}

void SimModules::receive(const QByteArray& bytes)
{
    pending_.append(bytes);
    // Slide over anything that is not a request, one byte at a time.
    while (pending_.size() >= kRequestSize) {
        const auto* r = reinterpret_cast<const uint8_t*>(pending_.constData());
        const uint16_t crc = uint16_t(r[10] | r[11] << 8);
        if (crc16Modbus(r, 10) == crc && r[2] == 0x07 && r[3] == 0x01 &&
            (r[1] == kRequestSwitch || r[1] == kRequestState)) {
            handleRequest(r);
            pending_.remove(0, kRequestSize);
        } else {
            pending_.remove(0, 1);
        }
    }
}

void SimModules::handleRequest(const uint8_t* r)
{
    emit requestReceived(QByteArray(reinterpret_cast<const char*>(r), kRequestSize));
    const int address = r[0];
    if (!isRelay(address))
        return; // nobody at that address
    uint8_t& bits = relayBits_[std::size_t(address)];
    if (r[1] == kRequestSwitch) {
        // Output k follows its bit of the wanted state; the others stay.
        const int output = r[5] & 7;
        const uint8_t mask = uint8_t(1u << output);
        bits = uint8_t((bits & ~mask) | (r[4] & mask));
        const unsigned generation = ++switchGeneration_[std::size_t(address)][std::size_t(output)];
        // A timed switch (seconds, little-endian) turns the output off again.
        const int32_t seconds = int32_t(uint32_t(r[6]) | uint32_t(r[7]) << 8 |
                                        uint32_t(r[8]) << 16 | uint32_t(r[9]) << 24);
        if ((bits & mask) && seconds > 0) {
            QTimer::singleShot(std::chrono::seconds(seconds), this,
                               [this, address, output, mask, generation] {
                                   if (switchGeneration_[std::size_t(address)]
                                                        [std::size_t(output)] == generation)
                                       relayBits_[std::size_t(address)] &= uint8_t(~mask);
                               });
        }
        return;
    }
    emit bytesOut(relayStateFrame(bits));
}

} // namespace obr9::sim
