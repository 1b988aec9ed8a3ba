#include "measure/ChartFileFormat.h"

namespace obr9::chartfile {

QByteArray cutUtf8(QByteArrayView utf8, qsizetype limit)
{
    qsizetype n = limit;
    // Step back over continuation bytes so no character is split.
    while (n > 0 && (uint8_t(utf8[n]) & 0xC0) == 0x80)
        --n;
    return utf8.first(n).toByteArray();
}

void Writer::text16(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() > 0xFFFF)
        utf8 = cutUtf8(utf8, 0xFFFF);
    u16(uint16_t(utf8.size()));
    buffer_.append(utf8);
}

bool Writer::flush()
{
    if (!device_)
        return true;
    const bool ok = device_->write(buffer_) == buffer_.size();
    buffer_.resize(0);
    return ok;
}

namespace {

void writeSettings(Writer& out, const ChartData& chart)
{
    const ChartSettings& s = chart.settings;
    out.u8(kSettingsVersion);
    uint8_t flags = 0;
    flags |= s.legendVisible ? LegendVisible : 0;
    flags |= s.view3D ? View3D : 0;
    flags |= s.bottom.automatic ? BottomAutomatic : 0;
    flags |= s.left.automatic ? LeftAutomatic : 0;
    out.u8(flags);
    out.f64(s.bottom.minimum);
    out.f64(s.bottom.maximum);
    out.f64(s.left.minimum);
    out.f64(s.left.maximum);
    out.text16(s.title);
    out.u16(uint16_t(chart.series.size()));
    for (const ChartSeries& series : chart.series) {
        out.text16(series.name);
        out.u32(series.colour);
        out.u8(uint8_t(series.pen));
        out.u8(series.visible ? 1 : 0);
    }
}

void writeLabel(Writer& out, const ChartData& chart, uint32_t index)
{
    const QByteArrayView label = chart.labels.bytes(index);
    if (label.size() <= kMaxLabelBytes) {
        out.u8(uint8_t(label.size()));
        out.bytes(label.data(), label.size());
    } else {
        const QByteArray cut = cutUtf8(label, kMaxLabelBytes);
        out.u8(uint8_t(cut.size()));
        out.bytes(cut.constData(), cut.size());
    }
}

} // namespace

void writeHead(Writer& out, const ChartData& chart)
{
    out.bytes(reinterpret_cast<const char*>(kMagic), 4);
    const qsizetype lengthAt = out.buffer().size();
    out.u32(0);
    writeSettings(out, chart);
    const auto length = uint32_t(out.buffer().size() - lengthAt - 4);
    for (int i = 0; i < 4; ++i)
        out.buffer()[lengthAt + i] = char(length >> (8 * i));
}

void writePoint(Writer& out, const ChartData& chart, const ChartSeries& series, uint8_t flags, int i)
{
    if (flags & PointX)
        out.f64(series.x(i));
    out.f64(series.y(i));
    if (flags & PointColour)
        out.u32(series.pointColour(i));
    if (flags & PointLabel)
        writeLabel(out, chart, series.label(i));
}

} // namespace obr9::chartfile
