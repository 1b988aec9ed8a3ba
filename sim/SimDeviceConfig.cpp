#include "sim/SimDeviceConfig.h"

#include "sim/SimFrames.h"

#include <algorithm>

namespace obr9::sim {

namespace {
uint8_t byteAt(QByteArrayView data, qsizetype pos)
{
    return static_cast<uint8_t>(data[pos]);
}

void putText(QByteArray& out, qsizetype offset, const QByteArray& text, qsizetype width)
{
    for (qsizetype i = 0; i < width; ++i)
        out[offset + i] = i < text.size() ? text[i] : '\0';
}

QByteArray textUpToZero(QByteArrayView field)
{
    const qsizetype end = field.indexOf('\0');
    return (end < 0 ? field : field.first(end)).toByteArray();
}
} // namespace

uint16_t simWordSum(QByteArrayView data, uint32_t start)
{
    uint32_t acc = start;
    for (qsizetype i = 0; i < data.size(); i += 2) {
        const uint32_t low = byteAt(data, i);
        const uint32_t high = i + 1 < data.size() ? byteAt(data, i + 1) : 0u;
        acc += low | (high << 8);
        if (acc > 0xFFFF)
            acc -= 0xFFFE;
    }
    return static_cast<uint16_t>(acc & 0xFFFF);
}

// ---- settings ------------------------------------------------------------

SimDeviceConfig::SimDeviceConfig(QByteArray user, QByteArray password)
    : user_(std::move(user))
    , password_(std::move(password))
    , record_(factoryRecord())
{
}

QByteArray SimDeviceConfig::factoryRecord()
{
    QByteArray r(kRecordSize, '\0');
    putText(r, 0, "OBR-9", 11);
    const uint8_t addresses[] = {192, 168, 1, 161, 255, 255, 255, 0, 192, 168, 1, 1};
    for (int i = 0; i < 12; ++i)
        r[11 + i] = static_cast<char>(addresses[i]);
    const uint8_t mac[] = {0x01, 0xE8, 0xC4, 0xA1, 0x5B, 0x10};
    for (int i = 0; i < 6; ++i)
        r[23 + i] = static_cast<char>(mac[i]);
    r[29] = 0; // server
    putText(r, 30, "192.168.1.162", 40);
    putText(r, 70, "/hq2/readParam", 40);
    putText(r, 110, "user", 10);
    putText(r, 120, "pass", 10);
    for (int i = 0; i < 4; ++i)
        r[130 + i] = 8;
    r[134] = static_cast<char>(8090 & 0xFF);
    r[135] = static_cast<char>(8090 >> 8);
    r[136] = 5; // 9600
    r[137] = 1; // 1 ms
    r[138] = 0;
    r[139] = 6; // 256 bytes
    r[140] = 1; // stop bits
    r[141] = 8; // data bits
    r[142] = 0; // no parity
    r[143] = 1; // I/O driver
    r[144] = 123;
    return r;
}

QByteArray SimDeviceConfig::loginAnswer(const QByteArray& request)
{
    // Body after the 16-byte signature and 0xFF: user, 00, password, 00, 00.
    const qsizetype head = qsizetype(kCommandSignature.size()) + 1;
    const QByteArrayView body = QByteArrayView(request).sliced(std::min(head, request.size()));
    const QByteArray user = textUpToZero(body);
    const QByteArray password = textUpToZero(body.sliced(std::min(user.size() + 1, body.size())));
    lastLoginAccepted_ = user == user_ && password == password_;

    QByteArray answer = QByteArray::fromHex("FFFE00FE");
    if (!lastLoginAccepted_) {
        answer.append('\0');
        return answer;
    }
    answer.append('\x01');
    answer.append(record_);
    answer.append('\0'); // the byte that tells the program the record is complete
    return answer;
}

QString SimDeviceConfig::takeSettings(const QByteArray& frame)
{
    if (frame.size() != kSettingsFrameSize || byteAt(frame, 0) != 0xFF)
        return QStringLiteral("not a settings frame");
    if (byteAt(frame, 1) != kSettingsFrameSize - 4)
        return QStringLiteral("length byte %1, not 167").arg(byteAt(frame, 1));
    const uint16_t sum = simWordSum(QByteArrayView(frame).sliced(1, 168), 0);
    const uint16_t sent = static_cast<uint16_t>(byteAt(frame, 169) | (byteAt(frame, 170) << 8));
    if (sum != sent)
        return QStringLiteral("checksum %1, computed %2")
            .arg(sent, 4, 16, QLatin1Char('0'))
            .arg(sum, 4, 16, QLatin1Char('0'));

    const QByteArrayView f(frame);
    dhcp_ = byteAt(f, 2) != 0;
    QByteArray r(kRecordSize, '\0');
    putText(r, 0, textUpToZero(f.sliced(3, 10)), 11);
    r.replace(11, 12, f.sliced(13, 12).toByteArray()); // ip, subnet, gateway
    port_ = static_cast<uint16_t>(byteAt(f, 25) | (byteAt(f, 26) << 8));
    r.replace(23, 6, f.sliced(27, 6).toByteArray()); // MAC
    user_ = textUpToZero(f.sliced(33, 10));
    password_ = textUpToZero(f.sliced(43, 10));
    r[29] = f[53];
    r.replace(30, 40, f.sliced(54, 40).toByteArray());
    r.replace(70, 40, f.sliced(94, 40).toByteArray());
    r.replace(110, 10, f.sliced(134, 10).toByteArray());
    r.replace(120, 10, f.sliced(144, 10).toByteArray());
    r.replace(130, 4, f.sliced(154, 4).toByteArray());
    r.replace(134, 2, f.sliced(158, 2).toByteArray());
    r.replace(136, 9, f.sliced(160, 9).toByteArray()); // baud .. RS ID, same order
    record_ = r;
    return {};
}

// ---- firmware upload -----------------------------------------------------

char SimUploadReceiver::answerFrame()
{
    ++frames_;
    if (nakEvery_ > 0 && frames_ % nakEvery_ == 0) {
        ++refusals_;
        return 'd';
    }
    return '{';
}

QByteArray SimUploadReceiver::header(const QByteArray& header)
{
    if (header.size() != kHeaderSize || byteAt(header, 0) != 0xFF || byteAt(header, 1) != 0x09)
        return {};
    uint16_t sum = 0;
    for (qsizetype i = 0; i < 6; ++i)
        sum = static_cast<uint16_t>(sum + byteAt(header, i));
    if (sum != static_cast<uint16_t>(byteAt(header, 6) | (byteAt(header, 7) << 8)))
        return {};
    const char answer = answerFrame();
    if (answer == 'd')
        return QByteArray(1, answer);
    total_ = static_cast<uint32_t>(byteAt(header, 2) | (byteAt(header, 3) << 8) |
                                   (byteAt(header, 4) << 16) | (uint32_t(byteAt(header, 5)) << 24));
    active_ = total_ >= 2;
    finished_ = false;
    checksumOk_ = false;
    image_.clear();
    block_.clear();
    return active_ ? QByteArray(1, answer) : QByteArray();
}

qsizetype SimUploadReceiver::feed(QByteArrayView data, QByteArray& answers)
{
    qsizetype used = 0;
    while (active_ && used < data.size()) {
        const qsizetype blockSize =
            std::min<qsizetype>(kBlockSize, qsizetype(total_) - image_.size());
        const qsizetype take = std::min(blockSize - block_.size(), data.size() - used);
        block_.append(data.sliced(used, take));
        used += take;
        if (block_.size() < blockSize)
            break;

        const char answer = answerFrame();
        if (answer == 'd') {
            block_.clear(); // the program sends it again
            answers.append(answer);
            continue;
        }
        image_.append(block_);
        block_.clear();
        if (image_.size() < qsizetype(total_)) {
            answers.append(answer);
            continue;
        }
        active_ = false;
        finished_ = true;
        const QByteArrayView file = QByteArrayView(image_).first(image_.size() - 2);
        const uint16_t expected = simWordSum(file, static_cast<uint32_t>(file.size()) + 2);
        const uint16_t sent = static_cast<uint16_t>(byteAt(image_, image_.size() - 2) |
                                                    (byteAt(image_, image_.size() - 1) << 8));
        checksumOk_ = expected == sent;
        if (checksumOk_)
            answers.append(answer);
    }
    return used;
}

void SimUploadReceiver::abandon()
{
    active_ = false;
    image_.clear();
    block_.clear();
}

bool SimUploadReceiver::takeFinished()
{
    const bool was = finished_;
    finished_ = false;
    return was;
}

} // namespace obr9::sim
