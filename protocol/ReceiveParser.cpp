#include "protocol/ReceiveParser.h"

#include "base/SilentListener.h"
#include "protocol/Frames.h"

#include <algorithm>
#include <cstring>

namespace obr9 {

ReceiveParser::ReceiveParser(ParserListener* listener, Reporter* reporter)
    : listener_(listener)
    , reporter_(reporter)
{
}

ParserDiagnostics ReceiveParser::diagnostics() const
{
    return {payloadLength_, spareCounter_, parserState_, payloadIndex_};
}

int ReceiveParser::byteLimit() const
{
    return std::min(receivedByteCount_, kReceiveBufferSize);
}

void ReceiveParser::Analizuj(int count)
{
    ParserListener& listener = listenerOr(listener_);
    count = std::clamp(count, 0, kReceiveBufferSize);

    if (resetRequest_) {
        resetRequest_ = false;
        payloadLength_ = 0;
        spareCounter_ = 0;
        parserState_ = 0;
        payloadIndex_ = 0;
    }

    listener.parserDiagnostics(diagnostics());
    receivedByteCount_ += count;
    listener.uploadStep();

    if (receivedByteCount_ >= 1) {
        listener.bytesReceived();
        // Tested in this order, each against the mode the previous machine
        // left: an answer completed by the answer machine lets the data
        // machine decode the frames that followed it in the same read.
        if (requestMode_ == RequestAnswer)
            runAnswerMachine();
        if (requestMode_ == RequestUpload)
            runAcknowledgementScan();
        if (requestMode_ == RequestData)
            runDataMachine();
    }

    spareCounter_ = 0;
    receivedByteCount_ = 0;
}

void ReceiveParser::runAnswerMachine()
{
    ParserListener& listener = listenerOr(listener_);
    parserState_ = 0; // an answer must arrive within one read

    for (int i = 0; i < byteLimit(); ++i) {
        const uint8_t b = receiveBuffer_[size_t(i)];
        switch (parserState_) {
        case 0:
            if (b == kStartMarker)
                parserState_ = 1;
            break;
        case 1:
            parserState_ = (b == kAnswerMarker) ? 2 : 0;
            break;
        case 2:
            if (b == uint8_t(AnswerKind::Login))
                parserState_ = 3;
            else if (b == uint8_t(AnswerKind::Identification))
                parserState_ = 6;
            else
                parserState_ = 0;
            break;
        case 3:
            if (b == kAnswerMarker)
                parserState_ = 4;
            break;
        case 4:
            if (b == 0x00) {
                parserState_ = 0;
                requestMode_ = RequestData;
                pendingMessages_.push_back(kLoginRefusedMessage);
                listener.loginRefused();
            } else {
                payloadIndex_ = 0;
                parserState_ = 5;
            }
            break;
        case 5:
            if (payloadIndex_ < kSettingsRecordSize) {
                payloadBuffer_[size_t(payloadIndex_)] = b;
                ++payloadIndex_;
            } else {
                // The byte after the record confirms it; the byte itself is dropped.
                parserState_ = 0;
                requestMode_ = RequestData;
                listener.settingsRecordReceived(payloadBuffer_.data(), kSettingsRecordSize);
            }
            break;
        case 6:
            listener.identificationVersion(b);
            parserState_ = 7;
            break;
        case 7:
            parserState_ = 8; // spare byte
            break;
        case 8:
            listener.voltageIntervalIndex(b);
            parserState_ = 9;
            break;
        case 9:
            listener.temperatureIntervalIndex(b);
            parserState_ = 0;
            requestMode_ = RequestData;
            break;
        default:
            parserState_ = 0;
            break;
        }
    }
}

void ReceiveParser::runAcknowledgementScan()
{
    ParserListener& listener = listenerOr(listener_);
    for (int i = 0; i < byteLimit(); ++i) {
        const uint8_t b = receiveBuffer_[size_t(i)];
        if (b == '{')
            listener.uploadAcknowledged(true);
        else if (b == 'd')
            listener.uploadAcknowledged(false);
    }
}

void ReceiveParser::runDataMachine()
{
    ParserListener& listener = listenerOr(listener_);

    for (int i = 0; i < byteLimit(); ++i) {
        const uint8_t b = receiveBuffer_[size_t(i)];
        switch (parserState_) {
        case 0: {
            // Bytes between frames are skipped up to the next start marker.
            const int limit = byteLimit();
            const void* marker = std::memchr(&receiveBuffer_[size_t(i)], kStartMarker,
                                             size_t(limit - i));
            if (!marker) {
                i = limit;
                break;
            }
            i = int(static_cast<const uint8_t*>(marker) - receiveBuffer_.data());
            parserState_ = 1;
            break;
        }
        case 1:
            // 0xFF 0xFE is an answer header, never a data frame. The two
            // header bytes are carried but not interpreted.
            parserState_ = (b == kAnswerMarker) ? 0 : 2;
            break;
        case 2:
            parserState_ = 3;
            break;
        case 3:
            frameType_ = b;
            parserState_ = 4;
            break;
        case 4:
            payloadLength_ = b;
            payloadIndex_ = 0;
            parserState_ = 5;
            break;
        case 5: {
            // Every byte is payload until the length is reached; the test
            // follows the store, so a length of 0 still takes one byte.
            const int room = kPayloadBufferSize - payloadIndex_;
            if (room <= 0) {
                // Not reachable from any byte sequence; kept so that no state
                // can ever write past the payload buffer.
                parserState_ = 0;
                --i;
                break;
            }
            const int wanted = std::max(payloadLength_ - payloadIndex_, 1);
            const int n = std::min({wanted, room, byteLimit() - i});
            std::memcpy(&payloadBuffer_[size_t(payloadIndex_)], &receiveBuffer_[size_t(i)],
                        size_t(n));
            payloadIndex_ += n;
            i += n - 1;
            if (payloadIndex_ >= payloadLength_ || payloadIndex_ >= kPayloadBufferSize) {
                parserState_ = 0;
                listener.dataFrame(frameType_, payloadBuffer_.data(), payloadLength_);
            }
            break;
        }
        default:
            // An answer-machine state left behind when the mode was switched
            // back from outside counts as state 0.
            parserState_ = (b == kStartMarker) ? 1 : 0;
            break;
        }
    }
}

int ReceiveParser::acceptRead(const uint8_t* data, int size)
{
    const int taken = std::clamp(size, 0, kReceiveBufferSize);
    if (inRead_) {
        // Re-entered from inside a message box: parse after the current read.
        pendingReads_.emplace_back(data, data + taken);
        return taken;
    }

    inRead_ = true;
    std::memcpy(receiveBuffer_.data(), data, size_t(taken));
    Analizuj(taken);
    Analizuj(0);
    while (!pendingReads_.empty() || !pendingMessages_.empty()) {
        flushMessages();
        if (!pendingReads_.empty()) {
            const std::vector<uint8_t> next = std::move(pendingReads_.front());
            pendingReads_.pop_front();
            std::memcpy(receiveBuffer_.data(), next.data(), next.size());
            Analizuj(int(next.size()));
            Analizuj(0);
        }
    }
    inRead_ = false;
    if (listener_)
        listener_->readDone();
    return taken;
}

void ReceiveParser::flushMessages()
{
    std::vector<OperatorMessage> messages;
    messages.swap(pendingMessages_);
    if (!reporter_)
        return;
    for (const OperatorMessage& message : messages)
        reporter_->report(message);
}

} // namespace obr9
