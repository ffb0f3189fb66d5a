#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// The fuzzer's bytes as a text: by default UTF-8 (how typed and stored texts arrive); with a
// leading 0x01 the rest as raw UTF-16 units, so lone surrogates and zeros get in too.
inline QString Fuzz_Text(const uint8_t* data, size_t size) {
    if (size > 0 && data[0] == 0x01) {
        // Copied, as the bytes need not be aligned for 16-bit reads.
        std::u16string units((size - 1) / 2, u'\0');
        std::memcpy(units.data(), data + 1, units.size() * sizeof(char16_t));
        return QString::fromStdU16String(units);
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}
