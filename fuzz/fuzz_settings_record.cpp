// Settings records of any content through the dialog's fill and back into a
// settings frame; the rest of the input as address and MAC field texts.
//
// Input: 145 record bytes (shorter input is padded with 0x00), then any
// bytes read as 8-bit text.

#include "devconfig/AddressText.h"
#include "devconfig/SettingsFrame.h"
#include "devconfig/SettingsRecord.h"
#include "devconfig/SettingsTexts.h"
#include "protocol/Checksums.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace obr9;

namespace {
bool inList(int index, int count)
{
    return index >= 0 && index < count;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint8_t record[SettingsRecord::kSize] = {};
    const size_t recordBytes = std::min(size, size_t(SettingsRecord::kSize));
    std::memcpy(record, data, recordBytes);

    SettingsTexts texts;
    texts.port = QStringLiteral("8090");
    texts.user = QStringLiteral("admin");
    texts.password = QStringLiteral("7961");
    texts.lanMode = 0;
    texts.fill(SettingsRecord::decode(record, SettingsRecord::kSize));

    const BuiltFrame frame = settingsFrame(texts);
    // Whatever a record holds, the fill gives texts that fit their fields;
    // only a list index the lists do not have can stop the frame.
    const bool listsValid =
        inList(texts.bufferIndex, kBufferItems) && inList(texts.stopBitsIndex, kStopBitsItems) &&
        inList(texts.dataBitsIndex, kDataBitsItems) && inList(texts.parity, kParityItems) &&
        inList(texts.rsMode, kRsModeItems);
    if (listsValid != frame.ok())
        std::abort();
    if (frame.ok()) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(frame.bytes.constData());
        if (frame.bytes.size() != kSettingsFrameSize || bytes[0] != 0xFF || bytes[1] != 0xA7)
            std::abort();
        const uint16_t sum = WordChecksum(bytes + 1, 168);
        if (bytes[169] != (sum & 0xFF) || bytes[170] != (sum >> 8))
            std::abort();
        // The record's fields come back where the frame keeps them.
        if (std::memcmp(bytes + 13, record + 11, 12) != 0 ||
            std::memcmp(bytes + 27, record + 23, 6) != 0 || bytes[168] != record[144])
            std::abort();
    } else if (!frame.bytes.isEmpty()) {
        std::abort();
    }

    if (size > recordBytes) {
        const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data + recordBytes),
                                                 qsizetype(size - recordBytes));
        const std::optional<AddressBytes> address = readAddressField(text);
        if (address.has_value() == addressProblem(text).has_value())
            std::abort();
        if (address && readAddressField(addressText(*address)) != address)
            std::abort();
        const MacBytes mac = readMacField(text);
        if (readMacField(macText(mac)) != mac)
            std::abort();
    }
    return 0;
}
