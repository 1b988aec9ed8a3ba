// Random byte streams in random chunk sizes through the receive parser and
// the frame decoders, in all three request modes.
//
// Input layout, repeated: one control byte, then a chunk of the stream.
//   control bits 0-1: 0 keep the mode, 1 data, 2 upload, 3 answer
//   control bit 2:    request a parser reset before the chunk
//   control bits 3-7: chunk length selector (1..31, 0 = the rest)

#include "base/DisplayFormat.h"
#include "protocol/MeasurementDecoder.h"
#include "protocol/ReceiveParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace obr9;

namespace {

class Harness : public ParserListener, public Reporter {
public:
    Harness()
        : decoder(state, temperatures, voltage)
    {
        // The values go through the number texts the windows make of them.
        QObject::connect(&decoder, &MeasurementDecoder::temperatureChannelRead,
                         [this](int, const QString&, float v) { formatted += format.general(v).size(); });
        QObject::connect(&decoder, &MeasurementDecoder::temperatureHumidityRead,
                         [this](float t, float h) {
                             formatted += format.general(t).size() + format.general(h).size();
                         });
        QObject::connect(&decoder, &MeasurementDecoder::voltageRead,
                         [this](float v) { formatted += format.fixed(v).size(); });
        parser.setListener(this);
        parser.setReporter(this);
    }

    void dataFrame(uint8_t type, const uint8_t* payload, int length) override
    {
        if (length < 0 || length > ReceiveParser::kPayloadBufferSize)
            std::abort();
        decoder.decode(type, payload);
    }
    void uploadAcknowledged(bool accepted) override
    {
        // The upload ends on some acknowledgements; the data machine then
        // reruns over the same bytes.
        if (accepted && (++acks % 3) == 0)
            parser.setRequestMode(RequestData);
    }
    void settingsRecordReceived(const uint8_t* record, int size) override
    {
        if (size != ReceiveParser::kSettingsRecordSize)
            std::abort();
        volatile uint8_t sink = record[size - 1];
        (void)sink;
    }
    void report(const OperatorMessage&) override { ++messages; }

    void checkInvariants() const
    {
        if (parser.parserState() < 0 || parser.parserState() > 9)
            std::abort();
        if (parser.payloadIndex() < 0 || parser.payloadIndex() > ReceiveParser::kPayloadBufferSize)
            std::abort();
        if (parser.hasPendingMessages())
            std::abort(); // every read reports its messages before it returns
        if (temperatures.writeIndex() < 0 || temperatures.writeIndex() >= 1000 ||
            voltage.writeIndex() < 0 || voltage.writeIndex() >= 1000)
            std::abort();
    }

    DeviceState state;
    TemperatureHistory temperatures;
    VoltageHistory voltage;
    DisplayFormat format;
    MeasurementDecoder decoder;
    ReceiveParser parser;
    int acks = 0;
    int messages = 0;
    long long formatted = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Harness* harness = new Harness; // large buffers: build once
    Harness& h = *harness;
    h.parser = ReceiveParser(&h, &h);
    h.state = DeviceState{};
    h.temperatures = TemperatureHistory{};
    h.voltage = VoltageHistory{};

    size_t offset = 0;
    while (offset < size) {
        const uint8_t control = data[offset++];
        switch (control & 3) {
        case 1:
            h.parser.setRequestMode(RequestData);
            break;
        case 2:
            h.parser.setRequestMode(RequestUpload);
            break;
        case 3:
            h.parser.setRequestMode(RequestAnswer);
            break;
        default:
            break;
        }
        if (control & 4)
            h.parser.requestReset();
        size_t length = control >> 3;
        if (length == 0 || length > size - offset)
            length = size - offset;
        h.parser.acceptRead(data + offset, int(length));
        offset += length;
        h.checkInvariants();
    }
    return 0;
}
