#include "protocol/Checksums.h"

uint16_t WordChecksum(const uint8_t* data, int count)
{
    uint32_t sum = 0;
    for (int i = 0; i < count; i += 2) {
        const uint32_t high = (i + 1 < count) ? data[i + 1] : 0u;
        sum += data[i] + 256u * high;
        if (sum > 0xFFFFu)
            sum -= 0xFFFEu; // a carry adds 2 back, not 1: the controller's rule
    }
    return static_cast<uint16_t>(sum & 0xFFFFu);
}

uint8_t ReflectBits8(uint8_t value)
{
    uint8_t result = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (value & (1u << bit))
            result |= static_cast<uint8_t>(1u << (7 - bit));
    }
    return result;
}

uint16_t ReflectBits16(uint16_t value)
{
    uint16_t result = 0;
    for (int bit = 0; bit < 16; ++bit) {
        if (value & (1u << bit))
            result |= static_cast<uint16_t>(1u << (15 - bit));
    }
    return result;
}

uint16_t Crc16(const uint8_t* data, uint8_t start, uint16_t count, uint16_t mask, uint16_t topBit,
               uint16_t xorOut, uint16_t init, uint16_t poly, bool reflectOut, bool reflectIn)
{
    uint16_t crc = init;
    if (count == 0)
        return crc;

    const uint8_t* p = data + start;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t b = p[i];
        if (reflectIn)
            b = ReflectBits8(b);
        for (unsigned h = 0x80; h != 0; h >>= 1) {
            uint16_t t = crc & topBit;
            crc = static_cast<uint16_t>(crc << 1);
            if (b & h)
                t ^= topBit;
            if (t != 0)
                crc ^= poly;
        }
    }
    if (reflectOut)
        crc = static_cast<uint16_t>((ReflectBits16(crc) ^ xorOut) & mask);
    return crc;
}

uint16_t Crc16Modbus(const uint8_t* data, uint8_t start, uint16_t count)
{
    return Crc16(data, start, count, 0xFFFF, 0x8000, 0x0000, 0xFFFF, 0x8005, true, true);
}
