// Chart files: a whole strip chart with all its points.
//
// Layout (all numbers little-endian):
//
//   0   60 30 20 01      bytes 2-3 are written as shown and ignored on reading
//   4   u32              length L of the settings block that follows
//   8   settings block, L bytes:
//         u8   version, 1
//         u8   flags: bit 0 legend visible, bit 1 3-D view,
//                     bit 2 bottom axis automatic, bit 3 left axis automatic
//         f64  bottom minimum, bottom maximum, left minimum, left maximum
//         text title
//         u16  series count N
//         N x { text name; u32 colour 0xAARRGGBB; u8 pen (Qt::PenStyle 0..5);
//               u8 visible 0/1 }
//       text = u16 byte length + UTF-8
//   8+L N point blocks, in series order:
//         u8   flags: bit 0 X per point, bit 1 colour per point,
//                     bit 2 label per point; no other bit
//         u32  point count
//         per point: [f64 X] f64 Y [u32 colour] [u8 length + label bytes]
//
// The writer sets a point flag only when the series needs it: X when some
// X differs from its index, colour when some point's colour differs from the
// series colour, label when some label is not empty. Labels are UTF-8 and
// at most 255 bytes; a longer one is cut at a character boundary.
//
// Reading is all or nothing: a file that is truncated, malformed anywhere
// (trailing bytes included) or holds another number of series than the
// chart it is meant for is refused, and the caller's chart is left as it
// was.
#pragma once

#include "measure/ChartData.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>

#include <atomic>
#include <cstdint>

class QIODevice;

namespace obr9 {

// Lets another thread follow a read and stop it: bytesRead grows as the
// points are taken in; a read that sees cancel set gives up, leaving the
// caller's chart as it was.
struct ChartReadControl {
    std::atomic<int64_t> bytesRead{0};
    std::atomic<bool> cancel{false};
};

class ChartFile {
public:
    enum class Kind { Temperatures, Voltages };

    // Any series count is accepted when expectedSeriesCount is this.
    static constexpr int kAnySeriesCount = -1;

    static QByteArray encode(const ChartData& chart);
    // Streams the file in blocks, so a day of points is never held twice.
    static bool write(QIODevice& device, const ChartData& chart, QString* error = nullptr);
    // Writes through a temporary file that replaces path only once complete,
    // so a failed save leaves the previous file intact.
    static bool save(const QString& path, const ChartData& chart, QString* error = nullptr);

    // On success chart holds the file's chart; on failure it is untouched and
    // error says why.
    static bool read(QByteArrayView bytes, int expectedSeriesCount, ChartData& chart, QString* error = nullptr,
                     ChartReadControl* control = nullptr);
    static bool load(const QString& path, int expectedSeriesCount, ChartData& chart, QString* error = nullptr,
                     ChartReadControl* control = nullptr);

    // "2026-12-08Temp.bin", "2026-12-08Volt.bin": ISO date whatever the
    // system's date format, so the name never holds a path separator.
    static QString periodicFileName(QDate date, Kind kind);
};

} // namespace obr9
