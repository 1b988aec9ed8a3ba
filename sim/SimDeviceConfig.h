// The controller's own configuration as the simulator keeps it: the login
// check, the 145-byte settings record it answers with, the 171-byte
// settings frame it takes up, and the receiving end of a firmware upload.
//
// Written from the byte tables, independent of the program's codecs.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace obr9::sim {

// 16-bit sum of little-endian words from start; above 0xFFFF, 0xFFFE is
// taken off once per word. An odd count pads the last byte with 0x00.
uint16_t simWordSum(QByteArrayView data, uint32_t start);

class SimDeviceConfig {
public:
    static constexpr qsizetype kRecordSize = 145;
    static constexpr qsizetype kSettingsFrameSize = 171;

    SimDeviceConfig(QByteArray user, QByteArray password);

    // Answer to a login request (signature, FF, user, 00, password, 00, 00):
    // FF FE 00 FE 00 when refused; FF FE 00 FE 01, the record and one spare
    // byte when accepted.
    QByteArray loginAnswer(const QByteArray& request);
    bool lastLoginAccepted() const { return lastLoginAccepted_; }

    // Checks the length byte and the word checksum of bytes 1..168; a good
    // frame is taken up (the record, DHCP flag, port, user and password).
    // Returns an empty text when adopted, else why not.
    QString takeSettings(const QByteArray& frame);

    const QByteArray& record() const { return record_; }
    const QByteArray& user() const { return user_; }
    const QByteArray& password() const { return password_; }
    bool dhcp() const { return dhcp_; }
    uint16_t port() const { return port_; }

    // The factory record: "OBR-9", 192.168.1.161/255.255.255.0 via
    // 192.168.1.1, MAC 01-E8-C4-A1-5B-10, server mode, DNS 8.8.8.8,
    // destination 192.168.1.162:8090 "/hq2/readParam", 9600 8N1, buffer 256,
    // I/O driver mode, RS ID 123, transmit request time 1 ms.
    static QByteArray factoryRecord();

private:
    QByteArray user_;
    QByteArray password_;
    QByteArray record_;
    bool dhcp_ = false;
    uint16_t port_ = 8090;
    bool lastLoginAccepted_ = false;
};

// Receiving end of a firmware upload: an 8-byte header, then raw blocks of
// at most 264 bytes, each answered with '{', or with 'd' (and dropped) on
// every nakEvery-th frame.
class SimUploadReceiver {
public:
    static constexpr qsizetype kBlockSize = 264;
    static constexpr qsizetype kHeaderSize = 8;

    // 0: never 'd'. 1 would refuse every frame forever and counts as 2.
    void setNakEvery(int every) { nakEvery_ = every == 1 ? 2 : every; }

    // Checks the header sum. A good header starts an upload and answers
    // '{' (or 'd'); a bad one answers nothing and starts nothing.
    QByteArray header(const QByteArray& header);

    bool active() const { return active_; }
    // Takes raw bytes while active; returns how many it took (the rest
    // belongs to the request stream) and appends its answers.
    qsizetype feed(QByteArrayView data, QByteArray& answers);

    // The upload has ended: the whole image arrived. A bad file checksum
    // leaves the last block unanswered.
    bool finished() const { return finished_; }
    bool checksumOk() const { return checksumOk_; }
    QByteArray file() const { return image_.left(image_.size() - 2); }
    uint32_t total() const { return total_; }
    int refusals() const { return refusals_; }
    // Takes the finished flag (once per upload).
    bool takeFinished();
    // A new connection abandons an upload that was still running.
    void abandon();

private:
    char answerFrame();

    int nakEvery_ = 0;
    qint64 frames_ = 0;
    bool active_ = false;
    bool finished_ = false;
    bool checksumOk_ = false;
    uint32_t total_ = 0;
    QByteArray image_;
    QByteArray block_;
    int refusals_ = 0;
};

} // namespace obr9::sim
