// Cuts the program's requests out of the controller's incoming byte stream.
//
// The stream has no framing of its own: requests are recognised by their
// leading bytes (the command signature and 0xFF, or 0xFF and a header byte)
// and their known lengths. Bytes that start no request are skipped, and a
// request may arrive split over any number of reads.
#pragma once

#include "sim/SimRequest.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace obr9::sim {

class SimRequestParser {
public:
    // Takes the bytes of one read; returns the requests they complete, in
    // stream order.
    std::vector<SimRequest> feed(QByteArrayView data);

    // Drops a partly received request (a new connection starts afresh).
    void reset();

    // Bytes skipped because they started no known request.
    qint64 skippedBytes() const { return skipped_; }

    // The program builds a login request in a 50-byte buffer.
    static constexpr qsizetype kMaxLoginRequest = 50;
    static constexpr qsizetype kChannelSettingsSize = 206;
    static constexpr qsizetype kDeviceSettingsSize = 171;
    static constexpr qsizetype kUploadHeaderSize = 8;

private:
    enum class Match { Complete, NeedMore, None };
    struct Attempt {
        Match match = Match::None;
        SimRequest::Kind kind = SimRequest::Kind::Identification;
        qsizetype length = 0;
    };

    Attempt matchAt(qsizetype pos) const;
    Attempt matchCommandRequest(qsizetype pos) const;
    Attempt matchFrame(qsizetype pos) const;

    QByteArray pending_;
    qint64 skipped_ = 0;
};

} // namespace obr9::sim
