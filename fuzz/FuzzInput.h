#pragma once

// Helpers shared by the fuzz targets: turning the fuzzer's bytes into text and
// stopping on a broken invariant so that libFuzzer keeps the input.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qinglan::fuzz {

// The bytes as UTF-8; invalid sequences become U+FFFD, as in every decode of the program.
inline QString Utf8Text(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The bytes as UTF-16 code units in machine order, lone surrogates included
// (an odd last byte is dropped).
inline QString Utf16Text(const uint8_t* data, size_t size) {
    QString text(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    if (size >= 2)
        std::memcpy(text.data(), data, size / 2 * 2);
    return text;
}

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

} // namespace qinglan::fuzz

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::qinglan::fuzz::Fail(#condition, __FILE__, __LINE__);                                 \
    } while (false)
