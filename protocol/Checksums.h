// Check routines of the controller and module links.
//
// Check words go on the wire low byte first. The signatures are the ones
// every frame builder of the program uses; they are free functions so that a
// caller only includes this header.
#pragma once

#include <cstdint>

// 16-bit sum of little-endian words with a single end-around fold per word:
// whenever the 32-bit accumulator exceeds 0xFFFF, 0xFFFE is taken off it.
// An odd count treats the missing partner of the last byte as 0x00; no byte
// beyond data[count - 1] is read.
uint16_t WordChecksum(const uint8_t* data, int count);

// Parameterised CRC-16 over data[start] .. data[start + count - 1].
// xorOut and mask are applied only together with the output reflection.
// A count of 0 returns init untouched.
uint16_t Crc16(const uint8_t* data, uint8_t start, uint16_t count, uint16_t mask, uint16_t topBit,
               uint16_t xorOut, uint16_t init, uint16_t poly, bool reflectOut, bool reflectIn);

// CRC-16/MODBUS: poly 0x8005, init 0xFFFF, reflected in and out, no xorOut.
uint16_t Crc16Modbus(const uint8_t* data, uint8_t start, uint16_t count);

// Bit-order reversal: bit i moves to bit 7 - i (resp. 15 - i).
uint8_t ReflectBits8(uint8_t value);
uint16_t ReflectBits16(uint16_t value);
