// What the receive parser tells its owner, at the moment it happens.
//
// A split answer has visible partial effects (the version arrives before the
// interval indexes), so every event is reported when its own byte arrives.
// All methods default to doing nothing; an owner overrides what it shows.
#pragma once

#include <cstdint>

namespace obr9 {

// The parser's hidden diagnostic values, written at the start of every call.
struct ParserDiagnostics {
    int payloadLength = 0; // "DTR="
    int spareCounter = 0;  // "FBPtr="; cleared at the end of every call
    int parserState = 0;   // "mode="
    int payloadIndex = 0;  // "ptr="
};

class ParserListener {
public:
    virtual ~ParserListener() = default;

    // Start of every call, before any byte is looked at.
    virtual void parserDiagnostics(const ParserDiagnostics&) {}
    // Start of every call: the firmware upload sends its next block here.
    virtual void uploadStep() {}
    // A call carried at least one byte: the live timer restarts.
    virtual void bytesReceived() {}
    // One acceptRead has parsed all its bytes (and any read queued while it
    // ran): work that depends only on the state reached, such as a redraw,
    // is done once here instead of once per frame.
    virtual void readDone() {}

    // A data frame is complete. payload points to the whole 255-byte payload
    // buffer; bytes past length hold what earlier frames left there.
    virtual void dataFrame(uint8_t frameType, const uint8_t* payload, int length)
    {
        (void)frameType, (void)payload, (void)length;
    }

    // Identification answer, one event per byte as it arrives.
    virtual void identificationVersion(uint8_t version) { (void)version; }
    virtual void voltageIntervalIndex(uint8_t index) { (void)index; }
    virtual void temperatureIntervalIndex(uint8_t index) { (void)index; }

    // Login answer. The refusal message itself is queued by the parser and
    // reported after the call returns.
    virtual void loginRefused() {}
    // Accepted login: the 145-byte settings record, complete.
    virtual void settingsRecordReceived(const uint8_t* record, int size)
    {
        (void)record, (void)size;
    }

    // Firmware upload acknowledgement: '{' accepted, 'd' send again.
    virtual void uploadAcknowledged(bool accepted) { (void)accepted; }
};

} // namespace obr9
