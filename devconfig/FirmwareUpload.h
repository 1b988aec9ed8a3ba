// The firmware upload: an 8-byte header, then the file and its 2-byte file
// checksum in raw blocks of at most 264 bytes, one frame in flight. The
// controller answers every frame with '{' (accepted) or 'd' (send it again).
//
// Driven by the receive parser: step() runs at the start of every parser
// call and sends what the acknowledgements of earlier calls allow;
// acknowledged() runs for every '{' or 'd' byte while requestMode is 2.
// A 'd' is answered until the upload completes, the last block included.
//
// A controller that stops answering would leave the upload waiting for ever:
// an upload with no answer ('{' or 'd') for kAnswerTimeoutMs is overdue, and
// its owner stops it.
#pragma once

#include "protocol/FrameSink.h"

#include <QByteArray>

#include <cstdint>
#include <functional>

namespace obr9 {

// The file checksum: the word sum of WordChecksum (little-endian words, one
// fold of 0xFFFE above 0xFFFF) started at L + 2 instead of 0. A file of odd
// length counts as padded with one 0x00 byte; the file itself is sent as it
// is.
uint16_t firmwareChecksum(const QByteArray& file);

// FF 09, total u32 LE, 16-bit sum of the six bytes before it, LE.
QByteArray uploadHeader(uint32_t total);

class FirmwareUploadListener {
public:
    virtual ~FirmwareUploadListener() = default;
    // ProgressBar1, 0..100: the share of the image already cut into blocks.
    virtual void uploadProgress(int percent) { (void)percent; }
    // The last block was accepted. Runs once per upload.
    virtual void uploadCompleted() {}
};

class FirmwareUpload {
public:
    static constexpr int kBlockSize = 264;
    // Longer than any pause a slow controller takes (up to 14 s while it
    // erases its flash) with room to spare.
    static constexpr qint64 kAnswerTimeoutMs = 30000;
    // Monotonic milliseconds; a steady clock when not set.
    using Clock = std::function<qint64()>;

    enum State : uint8_t { Idle = 0, Starting = 1, Sending = 2 };
    enum Answer : uint8_t { Accepted = 0, Waiting = 1, Repeat = 2 };

    explicit FirmwareUpload(FrameSink& sink, FirmwareUploadListener* listener = nullptr)
        : sink_(sink)
        , listener_(listener)
    {
    }
    void setListener(FirmwareUploadListener* listener) { listener_ = listener; }
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // "Upgrade": replaces whatever upload ran before. The caller sets
    // requestMode 2 and runs a parser call, whose step() sends the header.
    void start(const QByteArray& file);

    void step();
    void acknowledged(bool accepted);
    // Ends a running upload without completing it: the image is released and
    // later acknowledgements change nothing. No listener call.
    void stop();
    // Running, and no answer for kAnswerTimeoutMs since the header went out
    // or since the last answer.
    bool overdue() const;

    State state() const { return state_; }
    Answer blockAnswer() const { return answer_; }
    bool active() const { return active_; }
    uint32_t total() const { return total_; }
    uint32_t remaining() const { return remaining_; }
    // The last frame sent (header or block), sent again after a 'd'.
    const QByteArray& lastFrame() const { return lastFrame_; }

private:
    void send(QByteArray frame);
    void progress(int percent);
    qint64 now() const;

    FrameSink& sink_;
    FirmwareUploadListener* listener_;
    QByteArray image_;
    qsizetype position_ = 0;
    State state_ = Idle;
    Answer answer_ = Waiting;
    bool active_ = false; // from start() until the completion
    uint32_t total_ = 0;
    uint32_t remaining_ = 0;
    QByteArray lastFrame_;
    Clock clock_;
    qint64 lastAnswerAt_ = 0;
};

} // namespace obr9
