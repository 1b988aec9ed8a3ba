// What the chart file's reader and its two writers share: the leading bytes,
// the flag bits and the little-endian block writer. Layout: ChartFile.h.
#pragma once

#include "measure/ChartData.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <cstring>

namespace obr9 {
struct ChartReadControl;
}

namespace obr9::chartfile {

inline constexpr uint8_t kMagic[4] = {0x60, 0x30, 0x20, 0x01};
inline constexpr uint8_t kSettingsVersion = 1;

enum SettingsFlag : uint8_t {
    LegendVisible = 1,
    View3D = 2,
    BottomAutomatic = 4,
    LeftAutomatic = 8,
};
inline constexpr uint8_t kKnownSettingsFlags = 0x0F;

enum PointFlag : uint8_t {
    PointX = 1,
    PointColour = 2,
    PointLabel = 4,
};
inline constexpr uint8_t kKnownPointFlags = 0x07;

inline constexpr int kMaxLabelBytes = 255;
inline constexpr qsizetype kWriteBlock = 1 << 20;

// The first limit bytes of utf8 or fewer, never half a character.
QByteArray cutUtf8(QByteArrayView utf8, qsizetype limit);

// Little-endian writer into a block that is handed to the device whenever
// it passes kWriteBlock (a null device: everything stays in the block).
class Writer {
public:
    explicit Writer(QIODevice* device)
        : device_(device)
    {
        buffer_.reserve(kWriteBlock + 4096);
    }

    void u8(uint8_t v) { buffer_.append(char(v)); }
    void u16(uint16_t v)
    {
        const char b[2] = {char(v), char(v >> 8)};
        buffer_.append(b, 2);
    }
    void u32(uint32_t v)
    {
        const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        buffer_.append(b, 4);
    }
    void f64(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        const char b[8] = {char(bits),       char(bits >> 8),  char(bits >> 16), char(bits >> 24),
                           char(bits >> 32), char(bits >> 40), char(bits >> 48), char(bits >> 56)};
        buffer_.append(b, 8);
    }
    void bytes(const char* data, qsizetype n) { buffer_.append(data, n); }
    void text16(const QString& text);

    QByteArray& buffer() { return buffer_; }

    // Hands full blocks to the device; true while the device takes them.
    bool flushIfFull() { return buffer_.size() < kWriteBlock || flush(); }
    bool flush();

private:
    QIODevice* device_;
    QByteArray buffer_;
};

// Leading bytes, the settings block's length and the block itself.
void writeHead(Writer& out, const ChartData& chart);
void writePoint(Writer& out, const ChartData& chart, const ChartSeries& series, uint8_t flags, int i);

// The reader of ChartFile::read; control may be null.
bool readChart(QByteArrayView bytes, int expectedSeriesCount, ChartData& chart, QString& error,
               ChartReadControl* control);

} // namespace obr9::chartfile
