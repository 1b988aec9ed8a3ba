// Frame families of the controller link and the builders of the frames the
// driver page, the connection manager and the login dialog send.
//
// Frames are plain byte blocks: every builder returns the complete frame,
// ready for SendFrame, with nothing left for the link to add.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace obr9 {

// Every CommandRequest starts with these 16 bytes, then 0xFF, then its body.
inline constexpr std::array<uint8_t, 16> commandSignature = {
    0x4D, 0x5C, 0x22, 0x07, 0x3A, 0x18, 0x0E, 0x29,
    0x05, 0x31, 0x1D, 0x0B, 0x26, 0x14, 0x3E, 0x09,
};

inline constexpr uint8_t kStartMarker = 0xFF;
inline constexpr uint8_t kAnswerMarker = 0xFE; // 0xFF 0xFE opens a CommandAnswer

// Data frame types sent by the controller (and the output command).
enum class FrameType : uint8_t {
    EightTemperatures = 1,
    InputsOutputs = 2,
    TemperatureHumidity = 3,
    Voltage = 4,
    ChannelSettings = 8,
};

// Kinds of CommandAnswer (the byte after 0xFF 0xFE).
enum class AnswerKind : uint8_t {
    Login = 0x00,
    Identification = 0x01,
};

// A builder result that can be refused. error says why, in operator words.
struct BuiltFrame {
    QByteArray bytes;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// DataFrame: 0xFF, two header bytes, type, length, payload. The payload holds
// at most 255 bytes (the length is one byte); a longer one is refused.
BuiltFrame dataFrame(uint8_t header1, uint8_t header2, uint8_t type, const QByteArray& payload);

// CommandRequest: commandSignature, 0xFF, body.
QByteArray commandRequest(const QByteArray& body);

// The 18-byte identification request: signature, FF, FE.
QByteArray identificationRequest();

// Maximum length of user name and password together: the controller builds
// its login request in a 50-byte buffer (17 + 3 bytes of framing).
inline constexpr int kLoginTextLimit = 30;

// Login request: signature, FF, user, 00, password, 00, 00. Texts are 8-bit
// characters. Refused (never truncated) when the two texts together exceed
// kLoginTextLimit or when either holds a 0x00 byte, which would end it early.
BuiltFrame loginRequest(const QByteArray& user, const QByteArray& password);

// Output command FF 01 01 02 01 s with s bit 0 = out2On, bit 1 = out1On.
// The bit order differs from the controller's status frame on purpose.
QByteArray outputCommand(bool out2On, bool out1On);

} // namespace obr9
