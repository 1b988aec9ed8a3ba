#include "devconfig/FirmwareUpload.h"

#include <chrono>
#include <cmath>

namespace obr9 {

uint16_t firmwareChecksum(const QByteArray& file)
{
    const auto* data = reinterpret_cast<const uint8_t*>(file.constData());
    const qsizetype length = file.size();
    uint32_t acc = uint32_t(length) + 2u;
    for (qsizetype i = 0; i < length; i += 2) {
        const uint32_t high = i + 1 < length ? data[i + 1] : 0u;
        acc += data[i] + 256u * high;
        if (acc > 0xFFFFu)
            acc -= 0xFFFEu;
    }
    return uint16_t(acc & 0xFFFFu);
}

QByteArray uploadHeader(uint32_t total)
{
    QByteArray header;
    header.reserve(8);
    header.append(char(0xFF));
    header.append(char(0x09));
    for (int shift = 0; shift < 32; shift += 8)
        header.append(char((total >> shift) & 0xFF));
    uint16_t sum = 0;
    for (const char c : header)
        sum = uint16_t(sum + uint8_t(c));
    header.append(char(sum & 0xFF));
    header.append(char(sum >> 8));
    return header;
}

void FirmwareUpload::start(const QByteArray& file)
{
    image_ = file;
    position_ = 0;
    total_ = 0;
    remaining_ = 0;
    state_ = Starting;
    answer_ = Waiting;
    active_ = true;
}

void FirmwareUpload::step()
{
    if (state_ == Starting) {
        const uint16_t sum = firmwareChecksum(image_);
        image_.append(char(sum & 0xFF));
        image_.append(char(sum >> 8));
        total_ = uint32_t(image_.size());
        remaining_ = total_;
        position_ = 0;
        send(uploadHeader(total_));
        lastAnswerAt_ = now();
        answer_ = Waiting;
        state_ = Sending;
        progress(0);
        return;
    }
    // A refused last block is sent again too: the controller asked for it,
    // and no acceptance would ever come without it.
    if (!active_)
        return;

    if (state_ == Sending && answer_ == Accepted) {
        progress(int(std::trunc((1.0 - double(remaining_) / double(total_)) * 100.0)));
        uint32_t n = 0;
        if (remaining_ > uint32_t(kBlockSize)) {
            n = kBlockSize;
            remaining_ -= n;
        } else {
            n = remaining_;
            remaining_ = 0;
            state_ = Idle; // the last block
        }
        send(image_.mid(position_, qsizetype(n)));
        position_ += qsizetype(n);
    } else if (answer_ == Repeat) {
        sink_.SendFrame(lastFrame_);
    }
    answer_ = Waiting;
}

void FirmwareUpload::acknowledged(bool accepted)
{
    // Acknowledgements with no upload running (further '{' bytes of the read
    // that completed one, say) change nothing.
    if (!active_)
        return;
    lastAnswerAt_ = now();
    if (!accepted) {
        answer_ = Repeat;
        return;
    }
    answer_ = Accepted;
    if (state_ == Idle && remaining_ == 0) {
        active_ = false;
        image_ = QByteArray();
        lastFrame_.clear();
        progress(100);
        if (listener_)
            listener_->uploadCompleted();
    }
}

void FirmwareUpload::stop()
{
    active_ = false;
    state_ = Idle;
    answer_ = Waiting;
    image_ = QByteArray();
    lastFrame_.clear();
    position_ = 0;
    remaining_ = 0;
}

bool FirmwareUpload::overdue() const
{
    return active_ && state_ != Starting && now() - lastAnswerAt_ >= kAnswerTimeoutMs;
}

qint64 FirmwareUpload::now() const
{
    if (clock_)
        return clock_();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void FirmwareUpload::send(QByteArray frame)
{
    lastFrame_ = std::move(frame);
    sink_.SendFrame(lastFrame_);
}

void FirmwareUpload::progress(int percent)
{
    if (listener_)
        listener_->uploadProgress(percent);
}

} // namespace obr9
