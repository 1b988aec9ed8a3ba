#include "devconfig/SettingsFrame.h"
#include "base/DeviceText.h"
#include "base/LittleEndian.h"

#include "devconfig/AddressText.h"
#include "protocol/Checksums.h"

#include <optional>

namespace obr9 {

namespace {

// Collects the frame and stops at the first field that cannot be written.
class FrameWriter {
public:
    FrameWriter() { frame_.reserve(kSettingsFrameSize); }

    bool failed() const { return !error_.isEmpty(); }
    const QString& error() const { return error_; }
    QByteArray& frame() { return frame_; }

    void byte(uint8_t b) { frame_.append(char(b)); }

    void u16(uint16_t v) { le::append16(frame_, v); }

    void text(const QString& field, const QString& value, int width)
    {
        if (failed())
            return;
        if (value.size() > width)
            return fail(field, QStringLiteral("holds at most %1 characters (%2 given).")
                                   .arg(width)
                                   .arg(value.size()));
        const int bad = firstUnencodable(value);
        if (bad >= 0)
            return fail(field, QStringLiteral("the character \"%1\" cannot be sent.")
                                   .arg(value.mid(bad, 1)));
        const QByteArray bytes = deviceBytes(value);
        frame_.append(bytes);
        frame_.append(QByteArray(width - bytes.size(), '\0'));
    }

    void address(const QString& field, const QString& displayText)
    {
        if (failed())
            return;
        QString why;
        const std::optional<AddressBytes> a = readAddressField(displayText, &why);
        if (!a)
            return fail(field, why + QLatin1Char('.'));
        for (const uint8_t b : *a)
            byte(b);
    }

    std::optional<int> number(const QString& field, const QString& text, int max)
    {
        if (failed())
            return std::nullopt;
        bool ok = false;
        const int value = text.trimmed().toInt(&ok, 10);
        if (!ok) {
            fail(field, QStringLiteral("\"%1\" is not a number.").arg(text.trimmed()));
            return std::nullopt;
        }
        if (value < 0 || value > max) {
            fail(field, QStringLiteral("%1 does not fit 0..%2.").arg(value).arg(max));
            return std::nullopt;
        }
        return value;
    }

    void number8(const QString& field, const QString& text)
    {
        if (const auto v = number(field, text, 0xFF))
            byte(uint8_t(*v));
    }

    void number16(const QString& field, const QString& text)
    {
        if (const auto v = number(field, text, 0xFFFF))
            u16(uint16_t(*v));
    }

    // An item index, sent as index + offset.
    void item(const QString& field, int index, int count, int offset = 0)
    {
        if (failed())
            return;
        if (index < 0 || index >= count)
            return fail(field, QStringLiteral("choose one of the listed values."));
        byte(uint8_t(index + offset));
    }

private:
    void fail(const QString& field, const QString& why)
    {
        error_ = QStringLiteral("%1: %2").arg(field, why);
    }

    QByteArray frame_;
    QString error_;
};

} // namespace

BuiltFrame settingsFrame(const SettingsTexts& t)
{
    using T = SettingsTexts;
    FrameWriter w;
    w.byte(0xFF);
    w.byte(kSettingsFrameLength);
    w.byte(t.dhcp ? 1 : 0);
    w.text(QStringLiteral("Name"), t.name, T::kNameWidth);
    w.address(QStringLiteral("IP address"), t.ip);
    w.address(QStringLiteral("Subnet"), t.subnet);
    w.address(QStringLiteral("Gate"), t.gateway);
    w.number16(QStringLiteral("Port"), t.port);
    if (!w.failed()) {
        for (const uint8_t b : readMacField(t.mac))
            w.byte(b);
    }
    w.text(QStringLiteral("user"), t.user, T::kShortTextWidth);
    w.text(QStringLiteral("password"), t.password, T::kShortTextWidth);
    w.item(QStringLiteral("LAN mode"), t.lanMode, kLanModeItems);
    w.text(QStringLiteral("Destination IP address"), t.destination, T::kLongTextWidth);
    w.text(QStringLiteral("Path"), t.path, T::kLongTextWidth);
    w.text(QStringLiteral("Destination user"), t.destinationUser, T::kShortTextWidth);
    w.text(QStringLiteral("Destination password"), t.destinationPassword, T::kShortTextWidth);
    w.address(QStringLiteral("DNS server"), t.dns);
    w.number16(QStringLiteral("Destination port"), t.destinationPort);
    w.item(QStringLiteral("Baud rate"), t.baudIndex, kBaudItems);
    w.number16(QStringLiteral("Transmit request time"), t.transmitTime);
    w.item(QStringLiteral("RS buffer size"), t.bufferIndex, kBufferItems);
    w.item(QStringLiteral("Stop bits"), t.stopBitsIndex, kStopBitsItems, 1);
    w.item(QStringLiteral("Data bits"), t.dataBitsIndex, kDataBitsItems, 5);
    w.item(QStringLiteral("Parity"), t.parity, kParityItems);
    w.item(QStringLiteral("RS-485 mode"), t.rsMode, kRsModeItems);
    w.number8(QStringLiteral("RS ID"), t.rsId);
    if (w.failed())
        return {{}, w.error()};

    QByteArray& frame = w.frame();
    Q_ASSERT(frame.size() == kSettingsFrameSize - 2);
    const uint16_t sum = WordChecksum(reinterpret_cast<const uint8_t*>(frame.constData()) + 1,
                                      int(frame.size()) - 1);
    w.u16(sum);
    return {frame, {}};
}

QByteArray settingsCloseFrame()
{
    return QByteArray("\xFF\x00", 2);
}

} // namespace obr9
