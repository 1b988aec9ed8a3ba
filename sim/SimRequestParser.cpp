#include "sim/SimRequestParser.h"

#include "sim/SimFrames.h"

#include <algorithm>

namespace obr9::sim {

namespace {
uint8_t at(const QByteArray& data, qsizetype pos)
{
    return static_cast<uint8_t>(data[pos]);
}
} // namespace

std::vector<SimRequest> SimRequestParser::feed(QByteArrayView data)
{
    // Raw firmware blocks carry no header of their own: the controller
    // takes them out of a read before it reaches this scan.
    pending_.append(data.data(), data.size());

    std::vector<SimRequest> requests;
    qsizetype pos = 0;
    while (pos < pending_.size()) {
        const Attempt attempt = matchAt(pos);
        if (attempt.match == Match::NeedMore)
            break;
        if (attempt.match == Match::None) {
            ++skipped_;
            ++pos;
            continue;
        }
        requests.push_back({attempt.kind, pending_.mid(pos, attempt.length)});
        pos += attempt.length;
    }
    pending_.remove(0, pos);
    return requests;
}

void SimRequestParser::reset()
{
    pending_.clear();
}

SimRequestParser::Attempt SimRequestParser::matchAt(qsizetype pos) const
{
    const uint8_t first = at(pending_, pos);
    if (first == kCommandSignature[0])
        return matchCommandRequest(pos);
    if (first == 0xFF)
        return matchFrame(pos);
    return {};
}

SimRequestParser::Attempt SimRequestParser::matchCommandRequest(qsizetype pos) const
{
    constexpr qsizetype kHead = qsizetype(kCommandSignature.size()) + 1; // signature and 0xFF
    const qsizetype available = pending_.size() - pos;
    for (qsizetype i = 0; i < kHead; ++i) {
        if (i >= available)
            return {Match::NeedMore};
        const uint8_t expected = i < qsizetype(kCommandSignature.size())
                                     ? kCommandSignature[size_t(i)]
                                     : uint8_t{0xFF};
        if (at(pending_, pos + i) != expected)
            return {};
    }
    if (available == kHead)
        return {Match::NeedMore};
    if (at(pending_, pos + kHead) == 0xFE)
        return {Match::Complete, SimRequest::Kind::Identification, kHead + 1};

    // Login body: user, 00, password, 00, 00.
    int zeros = 0;
    const qsizetype limit = std::min(available, kMaxLoginRequest);
    for (qsizetype i = kHead; i < limit; ++i) {
        if (zeros == 2)
            return at(pending_, pos + i) == 0x00
                       ? Attempt{Match::Complete, SimRequest::Kind::Login, i + 1}
                       : Attempt{};
        if (at(pending_, pos + i) == 0x00)
            ++zeros;
    }
    return limit < kMaxLoginRequest ? Attempt{Match::NeedMore} : Attempt{};
}

SimRequestParser::Attempt SimRequestParser::matchFrame(qsizetype pos) const
{
    const qsizetype available = pending_.size() - pos;
    auto sized = [available](SimRequest::Kind kind, qsizetype length) {
        return available < length ? Attempt{Match::NeedMore} : Attempt{Match::Complete, kind, length};
    };
    if (available < 2)
        return {Match::NeedMore};

    switch (at(pending_, pos + 1)) {
    case 0x00:
        return sized(SimRequest::Kind::SettingsClose, 2);
    case 0x09:
        return sized(SimRequest::Kind::UploadHeader, kUploadHeaderSize);
    case kDeviceSettingsSize - 4: // the header byte counts the frame without FF, itself and the check word
        return sized(SimRequest::Kind::DeviceSettings, kDeviceSettingsSize);
    case 0x01:
        break;
    default:
        return {};
    }

    // FF 01 01 type: the frames that share the data frame header.
    if (available < 4)
        return {Match::NeedMore};
    if (at(pending_, pos + 2) != 0x01)
        return {};
    switch (at(pending_, pos + 3)) {
    case 0x02:
        if (available < 5)
            return {Match::NeedMore};
        if (at(pending_, pos + 4) != 0x01)
            return {};
        return sized(SimRequest::Kind::OutputCommand, 6);
    case 0x08:
        return sized(SimRequest::Kind::ChannelSettings, kChannelSettingsSize);
    default:
        return {};
    }
}

} // namespace obr9::sim
