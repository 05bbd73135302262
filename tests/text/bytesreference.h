#pragma once

// Slow, literal versions of the byte routines, written step by step from their rules and shared
// by the byte routine tests and the fuzz targets as the expected answers. They work on a
// zero-terminated copy, so reading "the terminating zero" is what it says. Nothing here is fast
// or clever on purpose.

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <string_view>

namespace reference {

// The text as a C string: everything before the first zero byte.
inline std::string terminated(std::string_view text)
{
    return std::string(text.data(), strnlen(text.data(), text.size()));
}

inline int32_t byteLength(std::string_view text)
{
    return static_cast<int32_t>(std::strlen(terminated(text).c_str()));
}

// How many bytes the character that begins with first, second takes: a first byte 81-FE with a
// second byte 30-39 begins a GB18030 four-byte character, any other byte from 80 on a two-byte
// one, and a byte below 80 stands alone.
inline int characterLength(unsigned char first, unsigned char second)
{
    if (first >= 0x81 && first <= 0xFE && second >= 0x30 && second <= 0x39)
        return 4;
    if (first >= 0x80)
        return 2;
    return 1;
}

inline unsigned char foldCase(unsigned char c)
{
    return c >= 0x41 && c <= 0x5A ? c + 0x20 : c;
}

inline int32_t findBytes(std::string_view text, std::string_view search, int32_t start,
                         bool ignoreCase)
{
    const std::string t = terminated(text);
    const std::string s = terminated(search);
    const auto *bytes = reinterpret_cast<const unsigned char *>(t.c_str());
    const auto *wanted = reinterpret_cast<const unsigned char *>(s.c_str());
    const int64_t l = static_cast<int64_t>(std::strlen(t.c_str()));
    int64_t o = int64_t{start} - 1;
    if (o < 0)
        o = 0;
    int64_t r = o >= l ? 0 : l - o;
    const int64_t n = static_cast<int64_t>(std::strlen(s.c_str()));
    if (n == 0)
        return r > 0 ? 1 : -1;
    int64_t p = o;
    while (r >= n) {
        bool equal = true;
        for (int64_t k = 0; k < n; ++k) {
            unsigned char a = bytes[p + k];
            unsigned char b = wanted[k];
            if (ignoreCase) {
                a = foldCase(a);
                b = foldCase(b);
            }
            if (a != b)
                equal = false;
        }
        if (equal)
            return static_cast<int32_t>(p + 1);
        if (bytes[p] >= 0x80 && bytes[p + 1] == 0)
            return -1;
        const int step = characterLength(bytes[p], bytes[p + 1]);
        p += step;
        r -= step;
    }
    return -1;
}

inline std::string midBytes(std::string_view text, int32_t start, int32_t count)
{
    const std::string t = terminated(text);
    const int64_t l = static_cast<int64_t>(t.size());
    const int64_t o = int64_t{start} - 1;
    if (o < 0 || o >= l || count <= 0)
        return {};
    int64_t n = count;
    if (n > l - o)
        n = l - o;
    std::string result;
    for (int64_t i = 0; i < n; ++i)
        result.push_back(t[static_cast<std::size_t>(o + i)]);
    return result;
}

inline std::string replaceBytes(std::string_view text, int32_t start, int32_t count,
                                std::string_view replacement)
{
    const std::string t = terminated(text);
    const int64_t l = static_cast<int64_t>(t.size());
    int64_t o = int64_t{start} - 1;
    if (o < 0)
        o = 0;
    if (o > l)
        o = l;
    int64_t n = count;
    if (n < 0)
        n = 0;
    if (n > l - o)
        n = l - o;
    std::string result;
    for (int64_t i = 0; i < o; ++i)
        result.push_back(t[static_cast<std::size_t>(i)]);
    result += terminated(replacement);
    for (int64_t i = o + n; i < l; ++i)
        result.push_back(t[static_cast<std::size_t>(i)]);
    return result;
}

inline int compareBytes(std::string_view left, std::string_view right)
{
    const std::string a = terminated(left);
    const std::string b = terminated(right);
    const auto *x = reinterpret_cast<const unsigned char *>(a.c_str());
    const auto *y = reinterpret_cast<const unsigned char *>(b.c_str());
    for (std::size_t i = 0;; ++i) {
        if (x[i] < y[i])
            return -1;
        if (x[i] > y[i])
            return 1;
        if (x[i] == 0)
            return 0;
    }
}

inline std::string foldFullWidth(std::string_view text)
{
    const std::string t = terminated(text);
    const auto *bytes = reinterpret_cast<const unsigned char *>(t.c_str());
    std::string result;
    std::size_t i = 0;
    while (bytes[i] != 0) {
        const unsigned char first = bytes[i];
        if (first < 0x80) {
            result.push_back(static_cast<char>(first));
            i += 1;
            continue;
        }
        const unsigned char second = bytes[i + 1];
        if (second == 0)
            break;
        if (characterLength(first, second) == 4) {
            if (bytes[i + 2] == 0 || bytes[i + 3] == 0)
                break;
            for (int k = 0; k < 4; ++k)
                result.push_back(static_cast<char>(bytes[i + k]));
            i += 4;
            continue;
        }
        if (first == 0xA3 && second >= 0xA1 && second <= 0xFE)
            result.push_back(static_cast<char>(second - 0x80));
        else if (first == 0xA1 && second == 0xA1)
            result.push_back(0x20);
        else if (first == 0xA1 && second == 0xAB)
            result.push_back(0x7E);
        else if (first == 0xA1 && (second == 0xEE || second == 0xEF))
            result.push_back(0x2A);
        else {
            result.push_back(static_cast<char>(first));
            result.push_back(static_cast<char>(second));
        }
        i += 2;
    }
    return result;
}

// Reads the number's bytes off the folded text into a C-locale string and lets the C library
// convert that string in the "C" locale, whatever the process locale is.
inline double parseNumber(std::string_view text)
{
    const std::string folded = foldFullWidth(text);
    const char *p = folded.c_str();
    auto digit = [](char c) { return c >= '0' && c <= '9'; };

    while (*p == 0x20 || (*p >= 0x09 && *p <= 0x0D))
        ++p;
    std::string number;
    if (*p == '+' || *p == '-')
        number.push_back(*p++);
    bool anyDigit = false;
    bool point = false;
    while (digit(*p) || (*p == '.' && !point)) {
        if (*p == '.')
            point = true;
        else
            anyDigit = true;
        number.push_back(*p++);
    }
    if (!anyDigit)
        return 0.0;
    if (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D') {
        const char *q = p + 1;
        std::string exponent = "e";
        if (*q == '+' || *q == '-')
            exponent.push_back(*q++);
        if (digit(*q)) {
            while (digit(*q))
                exponent.push_back(*q++);
            number += exponent;
        }
    }
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return strtod_l(number.c_str(), nullptr, c);
}

} // namespace reference
