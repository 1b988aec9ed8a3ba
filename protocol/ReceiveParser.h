// Analizuj: the receive parser of the controller's TCP byte stream.
//
// Three byte-at-a-time machines, chosen by requestMode:
//   0 data frames, 2 firmware upload acknowledgements, 3 command answer.
// The state survives between calls, so a data frame may be split over any
// number of reads; a command answer must arrive within one read.
//
// The read notifications fill receiveBuffer() from index 0 and call
// Analizuj(n) then Analizuj(0); acceptRead() does exactly that and then shows
// the operator messages the calls raised, so no message box ever runs inside
// the byte loop.
#pragma once

#include "base/Reporter.h"
#include "protocol/ParserListener.h"

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

namespace obr9 {

enum RequestMode : uint8_t {
    RequestData = 0,
    RequestUpload = 2,
    RequestAnswer = 3,
};

class ReceiveParser {
public:
    static constexpr int kReceiveBufferSize = 100000;
    static constexpr int kPayloadBufferSize = 255;
    static constexpr int kSettingsRecordSize = 145;

    explicit ReceiveParser(ParserListener* listener = nullptr, Reporter* reporter = nullptr);

    void setListener(ParserListener* listener) { listener_ = listener; }
    void setReporter(Reporter* reporter) { reporter_ = reporter; }

    // The 100 000-byte buffer every read fills from index 0.
    uint8_t* receiveBuffer() { return receiveBuffer_.data(); }

    // One parser call over receiveBuffer()[0 .. count - 1]. count 0 runs only
    // the per-call steps. A count outside 0..kReceiveBufferSize is clamped.
    void Analizuj(int count);

    // One socket read: copies at most kReceiveBufferSize bytes into the
    // receive buffer, runs Analizuj(n) and Analizuj(0), then reports queued
    // operator messages. Returns the number of bytes taken; the caller hands
    // the rest over with its next read. A read that arrives while a message
    // is being reported (a modal box pumps events) is parsed in turn, never
    // on top of the buffer in use.
    int acceptRead(const uint8_t* data, int size);

    // Reports the operator messages the parser queued. acceptRead() calls it;
    // callers of Analizuj() directly call it once their call has returned.
    void flushMessages();
    bool hasPendingMessages() const { return !pendingMessages_.empty(); }

    uint8_t requestMode() const { return requestMode_; }
    void setRequestMode(uint8_t mode) { requestMode_ = mode; }

    // parserResetRequest: the next call restarts the machines.
    void requestReset() { resetRequest_ = true; }
    bool resetRequested() const { return resetRequest_; }

    int parserState() const { return parserState_; }
    int payloadLength() const { return payloadLength_; }
    int payloadIndex() const { return payloadIndex_; }
    const uint8_t* payloadBuffer() const { return payloadBuffer_.data(); }
    ParserDiagnostics diagnostics() const;

private:
    void runAnswerMachine();
    void runAcknowledgementScan();
    void runDataMachine();
    int byteLimit() const;

    ParserListener* listener_;
    Reporter* reporter_;

    std::array<uint8_t, kReceiveBufferSize> receiveBuffer_{};
    std::array<uint8_t, kPayloadBufferSize> payloadBuffer_{};

    int receivedByteCount_ = 0;
    int parserState_ = 0;
    uint8_t frameType_ = 0;
    int payloadLength_ = 0;
    int payloadIndex_ = 0;
    int spareCounter_ = 0;
    bool resetRequest_ = false;
    uint8_t requestMode_ = RequestData;

    std::vector<OperatorMessage> pendingMessages_;
    std::deque<std::vector<uint8_t>> pendingReads_;
    bool inRead_ = false;
};

inline const OperatorMessage kLoginRefusedMessage{
    QStringLiteral("nieprawidlowa nazwa uzytkownika lub haslo"), QStringLiteral("haslo")};

} // namespace obr9
