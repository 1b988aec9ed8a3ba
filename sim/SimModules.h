// The RS-485 modules on the controller's bus: the HQ-2 temperature module
// and up to eight VK8 relay modules. Transport-free: what they send leaves
// through bytesOut(), what the program sends comes in through receive();
// SimModulePty and SimModuleTcp carry the bytes.
//
// Module frame, 20 bytes, little-endian: 0 channel, 3 kind (2 HQ-2 channel,
// 1 relay state), 4 f32 internal degC (kind 1: output bits), 8 f32 external
// degC (-900.0 = no sensor), 12 u16 voltage count (15.31 per volt),
// 18 CRC-16/MODBUS of bytes 0..17.
// Relay request, 12 bytes: 0 address, 1 0x04 switch / 0x03 state request,
// 2 0x07, 3 0x01, 4 wanted output bits, 5 output k, 6 u32 time, 10 CRC of 0..9.
#pragma once

#include "sim/SimModuleOptions.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <array>
#include <cstdint>

namespace obr9::sim {

class SimModules : public QObject {
    Q_OBJECT
public:
    static constexpr int kChannels = 16;
    static constexpr float kNoSensor = -900.0f;

    explicit SimModules(SimModuleOptions options = {}, QObject* parent = nullptr);

    // The HQ-2 answers every options().period once started.
    void start();
    void stop();

    // One HQ-2 round: the sixteen channel frames, stray bytes between them
    // while the garbage switch is on. Values move a little every round.
    // Every channel frame is a linkSafeChannelFrame(), on every carrier.
    QByteArray hq2Round();

    // Bytes the program sent on the bus; complete requests are answered.
    void receive(const QByteArray& bytes);

    void setGarbage(bool on) { options_.garbage = on; }
    uint8_t relayBits(int address) const;
    const SimModuleOptions& options() const { return options_; }

    static QByteArray channelFrame(int channel, float internal, float external, uint16_t voltageCount);
    // channelFrame() with no byte 0xFF anywhere (readings or CRC), so that a
    // controller forwarding it on its TCP link never starts a data frame
    // there: the driver page's parser skips everything up to a 0xFF between
    // frames. Where the plain frame holds a 0xFF, the readings are nudged by
    // the fewest float steps (a count for the voltage) that clear it: the
    // external temperature and the voltage until their own bytes are clear,
    // then the internal temperature until the CRC is. A nudge is a few
    // millionths of a degree in nearly every case and 1/16 degC at most
    // (31.875..32 degC, where the float's third byte is 0xFF), a reading the
    // module could have sent. The simulator's choice, not the module's.
    static QByteArray linkSafeChannelFrame(int channel, float internal, float external, uint16_t voltageCount);
    static bool holdsLinkStart(const QByteArray& bytes) { return bytes.contains(char(0xFF)); }
    static QByteArray relayStateFrame(uint8_t outputBits);
    static uint16_t crc16Modbus(const uint8_t* data, int count);

signals:
    void bytesOut(const QByteArray& bytes);
    // The HQ-2 round's frames alone, with no stray bytes and no relay
    // answers, for a controller that forwards them on its TCP link. One
    // emission is one whole round.
    void hq2FramesOut(const QByteArray& frames);
    void requestReceived(const QByteArray& request);

private:
    // The next round's sixteen frames, without stray bytes.
    QByteArray nextHq2Frames();
    QByteArray withGarbage(const QByteArray& frames);
    void handleRequest(const uint8_t* request);
    bool isRelay(int address) const;

    SimModuleOptions options_;
    QTimer timer_;
    unsigned round_ = 0;
    unsigned garbageCounter_ = 0;
    std::array<uint8_t, 8> relayBits_{};
    // Bumped by every switch of an output, so that an earlier timed switch
    // does not turn off what a later command asked for.
    std::array<std::array<unsigned, 8>, 8> switchGeneration_{};
    QByteArray pending_; // request bytes not yet framed
};

} // namespace obr9::sim
