#pragma once
#include <cstdint>

// Scales blue, green and red of a pixel by amount / 256, rounding down; the fourth byte
// becomes 0. Red and blue share one multiply.
inline uint32_t WeightPixel(uint32_t pixel, uint32_t amount) {
    uint32_t redBlue = (((pixel & 0x00FF00FFu) * amount) >> 8) & 0x00FF00FFu;
    uint32_t green = (((pixel & 0x0000FF00u) * amount) >> 8) & 0x0000FF00u;
    return redBlue + green;
}

// Byte-wise min(255, a + b) on packed words, without unpacking the channels.
inline uint32_t SaturatingAddBytes(uint32_t a, uint32_t b) {
    uint32_t low = (a & 0x7F7F7F7Fu) + (b & 0x7F7F7F7Fu);  // no carry crosses a byte
    uint32_t carry = ((a & b) | ((a ^ b) & low)) & 0x80808080u;
    uint32_t sum = low ^ ((a ^ b) & 0x80808080u);
    uint32_t overflow = (carry >> 7) * 0xFFu;
    return sum | overflow;
}

// Byte-wise max(0, a - b) on packed words, without unpacking the channels.
inline uint32_t SaturatingSubtractBytes(uint32_t a, uint32_t b) {
    uint32_t low = (a | 0x80808080u) - (b & 0x7F7F7F7Fu);  // no borrow crosses a byte
    uint32_t borrow = ((~a & b) | (~(a ^ b) & ~low)) & 0x80808080u;
    uint32_t difference = low ^ ((a ^ ~b) & 0x80808080u);
    uint32_t underflow = (borrow >> 7) * 0xFFu;
    return difference & ~underflow;
}
