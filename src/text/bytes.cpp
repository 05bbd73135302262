#include "text/bytes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace text {

namespace {

using Index = std::ptrdiff_t;

// A text ends at its first zero byte; nothing after it is looked at. The empty view may have no
// storage at all, and memchr must not be handed a null pointer.
std::string_view cut(std::string_view text)
{
    if (text.empty())
        return text;
    const void *zero = std::memchr(text.data(), 0, text.size());
    if (zero == nullptr)
        return text;
    return text.substr(0, static_cast<const char *>(zero) - text.data());
}

unsigned char byteAt(std::string_view text, Index i)
{
    return static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
}

// The byte comparisons of FindBytes: as they are, or with the ASCII capitals folded to small
// letters. Nothing else folds, whatever the locale says.
struct ExactBytes
{
    unsigned char operator()(unsigned char c) const { return c; }
};

struct FoldedBytes
{
    unsigned char operator()(unsigned char c) const
    {
        return c >= 0x41 && c <= 0x5A ? static_cast<unsigned char>(c + 0x20) : c;
    }
};

// The maximal suffix of the needle under the byte order, or under the reversed order: the
// offset before it (-1 for the whole needle), and in period the period of that suffix.
template <typename Fold>
Index maximalSuffix(std::string_view needle, Fold fold, bool reversed, Index &period)
{
    const Index n = static_cast<Index>(needle.size());
    auto at = [&](Index i) { return fold(byteAt(needle, i)); };
    Index suffix = -1;
    Index j = 0;
    Index k = 1;
    period = 1;
    while (j + k < n) {
        const unsigned char a = at(j + k);
        const unsigned char b = at(suffix + k);
        if (reversed ? b < a : a < b) {
            j += k;
            k = 1;
            period = j - suffix;
        } else if (a == b) {
            if (k != period) {
                ++k;
            } else {
                j += period;
                k = 1;
            }
        } else {
            suffix = j++;
            k = period = 1;
        }
    }
    return suffix;
}

// Critical factorisation of the needle (Crochemore-Perrin): the split point of the two-way
// search, and in period the period of the right-hand part. Works on folded bytes so that the
// case-blind search gets a factorisation of the folded needle.
template <typename Fold>
Index criticalFactorisation(std::string_view needle, Fold fold, Index &period)
{
    Index forwardPeriod = 1;
    Index reversedPeriod = 1;
    const Index forward = maximalSuffix(needle, fold, false, forwardPeriod);
    const Index reversed = maximalSuffix(needle, fold, true, reversedPeriod);
    // The longer of the two suffixes gives the critical position.
    if (reversed < forward) {
        period = forwardPeriod;
        return forward + 1;
    }
    period = reversedPeriod;
    return reversed + 1;
}

// Every occurrence of needle in haystack, in increasing order, offered to accept until it takes
// one; answers that offset, or -1. Two-way string matching: linear in the haystack and needs no
// memory, also when the needle repeats itself ('aaaab' in a run of 'a'), and it carries on after
// a refused occurrence without looking at matched bytes again.
template <typename Fold, typename Accept>
Index searchTwoWay(std::string_view haystack, std::string_view needle, Fold fold, Accept accept)
{
    const Index n = static_cast<Index>(needle.size());
    const Index last = static_cast<Index>(haystack.size()) - n;
    auto same = [&](Index i, Index j) {
        return fold(byteAt(needle, i)) == fold(byteAt(haystack, i + j));
    };

    Index period = 1;
    const Index split = criticalFactorisation(needle, fold, period);

    bool periodic = true;
    for (Index i = 0; i < split; ++i) {
        if (fold(byteAt(needle, i)) != fold(byteAt(needle, i + period))) {
            periodic = false;
            break;
        }
    }

    if (periodic) {
        // The left part recurs with the period, so after a shift by the period the first
        // n - period bytes are known to match already.
        Index memory = 0;
        Index j = 0;
        while (j <= last) {
            Index i = std::max(split, memory);
            while (i < n && same(i, j))
                ++i;
            if (i < n) {
                j += i - split + 1;
                memory = 0;
                continue;
            }
            i = split - 1;
            while (i >= memory && same(i, j))
                --i;
            if (i < memory && accept(j))
                return j;
            j += period;
            memory = n - period;
        }
    } else {
        // Two occurrences lie further apart than the longer part, and no memory is needed.
        const Index shift = std::max(split, n - split) + 1;
        Index j = 0;
        while (j <= last) {
            Index i = split;
            while (i < n && same(i, j))
                ++i;
            if (i < n) {
                j += i - split + 1;
                continue;
            }
            i = split - 1;
            while (i >= 0 && same(i, j))
                --i;
            if (i < 0 && accept(j))
                return j;
            j += shift;
        }
    }
    return -1;
}

bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal exponents beyond these can only give infinity or zero, and keeping the exponent
// within them keeps the arithmetic below far from overflowing.
constexpr std::int64_t exponentLimit = 1'000'000'000;

} // namespace

int32_t ByteLength(std::string_view text)
{
    return static_cast<int32_t>(cut(text).size());
}

std::string MidBytes(std::string_view text, int32_t start, int32_t count)
{
    text = cut(text);
    const std::int64_t length = static_cast<std::int64_t>(text.size());
    const std::int64_t offset = std::int64_t{start} - 1;
    if (offset < 0 || offset >= length || count <= 0)
        return {};
    const std::int64_t n = std::min<std::int64_t>(count, length - offset);
    return std::string(text.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(n)));
}

int32_t FindBytes(std::string_view text, std::string_view search, int32_t start, bool ignoreCase)
{
    text = cut(text);
    search = cut(search);
    const std::int64_t length = static_cast<std::int64_t>(text.size());
    const std::int64_t offset = std::max<std::int64_t>(std::int64_t{start} - 1, 0);
    const std::int64_t remaining = offset < length ? length - offset : 0;
    if (search.empty())
        return remaining > 0 ? 1 : -1;
    if (remaining < static_cast<std::int64_t>(search.size()))
        return -1;

    // A match counts only where a character starts, counting characters from the start
    // position on. The boundaries are walked once, in step with the occurrences the matcher
    // offers, so the whole search stays linear. A character cut short by the end steps past it.
    const std::string_view rest = text.substr(static_cast<std::size_t>(offset));
    Index boundary = 0;
    auto startsCharacter = [&](Index at) {
        while (boundary < at)
            boundary += CharacterLengthAt(rest, static_cast<std::size_t>(boundary));
        return boundary == at;
    };

    const Index found = ignoreCase ? searchTwoWay(rest, search, FoldedBytes{}, startsCharacter)
                                   : searchTwoWay(rest, search, ExactBytes{}, startsCharacter);
    if (found < 0)
        return -1;
    return static_cast<int32_t>(offset + found + 1);
}

std::string ReplaceBytes(std::string_view text, int32_t start, int32_t count,
                         std::string_view replacement)
{
    text = cut(text);
    replacement = cut(replacement);
    const std::int64_t length = static_cast<std::int64_t>(text.size());
    const std::int64_t offset = std::clamp<std::int64_t>(std::int64_t{start} - 1, 0, length);
    const std::int64_t n = std::clamp<std::int64_t>(count, 0, length - offset);

    std::string result;
    result.reserve(static_cast<std::size_t>(length - n) + replacement.size());
    result.append(text.substr(0, static_cast<std::size_t>(offset)));
    result.append(replacement);
    result.append(text.substr(static_cast<std::size_t>(offset + n)));
    return result;
}

int CompareBytes(std::string_view left, std::string_view right)
{
    left = cut(left);
    right = cut(right);
    const std::size_t common = std::min(left.size(), right.size());
    // memcmp compares as unsigned char; past the common part the shorter text shows its
    // terminating zero, which is lower than any byte of the longer one.
    const int order = common == 0 ? 0 : std::memcmp(left.data(), right.data(), common);
    if (order != 0)
        return order < 0 ? -1 : 1;
    if (left.size() == right.size())
        return 0;
    return left.size() < right.size() ? -1 : 1;
}

std::string FoldFullWidth(std::string_view text)
{
    text = cut(text);
    std::string result;
    result.reserve(text.size());
    const std::size_t length = text.size();
    for (std::size_t i = 0; i < length;) {
        const auto characterLength = static_cast<std::size_t>(CharacterLengthAt(text, i));
        if (characterLength == 1) {
            result.push_back(text[i]);
            ++i;
            continue;
        }
        if (characterLength > length - i)
            break; // a character cut short by the end of the text ends it
        if (characterLength == 4) {
            result.append(text.substr(i, 4)); // no four-byte character folds
            i += 4;
            continue;
        }
        const auto first = static_cast<unsigned char>(text[i]);
        const auto second = static_cast<unsigned char>(text[i + 1]);
        i += 2;
        // GBK byte values, fixed whatever the code page: row A3 holds the full-width forms of
        // 0x21-0x7E, row A1 the ideographic space, the full-width tilde and the two stars.
        if (first == 0xA3 && second >= 0xA1 && second <= 0xFE) {
            result.push_back(static_cast<char>(second - 0x80));
        } else if (first == 0xA1 && second == 0xA1) {
            result.push_back(' ');
        } else if (first == 0xA1 && second == 0xAB) {
            result.push_back('~');
        } else if (first == 0xA1 && (second == 0xEE || second == 0xEF)) {
            result.push_back('*');
        } else {
            result.push_back(static_cast<char>(first));
            result.push_back(static_cast<char>(second));
        }
    }
    return result;
}

double ParseNumber(std::string_view text)
{
    const std::string folded = FoldFullWidth(text);
    const std::size_t length = folded.size();
    std::size_t i = 0;

    while (i < length && isSpace(folded[i]))
        ++i;
    bool negative = false;
    if (i < length && (folded[i] == '+' || folded[i] == '-')) {
        negative = folded[i] == '-';
        ++i;
    }

    // The number is taken apart here and handed to from_chars in a form of our own, so the
    // locale's decimal point never matters. The value is 0.<digits> * 10^scale, digits without
    // leading or trailing zeros.
    std::string digits;
    std::int64_t scale = 0;
    bool anyDigit = false;
    bool point = false;
    std::size_t zerosPending = 0; // zeros after the last significant digit, kept back
    for (; i < length; ++i) {
        const char c = folded[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!isDigit(c))
            break;
        anyDigit = true;
        if (c == '0' && digits.empty()) {
            if (point)
                --scale; // a leading zero after the point makes the number smaller
            continue;
        }
        if (!point)
            ++scale;
        if (c == '0') {
            ++zerosPending;
            continue;
        }
        digits.append(zerosPending, '0');
        zerosPending = 0;
        digits.push_back(c);
    }
    if (!anyDigit)
        return 0.0;

    // An exponent counts only when a digit follows its marker and optional sign.
    if (i < length &&
        (folded[i] == 'e' || folded[i] == 'E' || folded[i] == 'd' || folded[i] == 'D')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < length && (folded[j] == '+' || folded[j] == '-')) {
            negativeExponent = folded[j] == '-';
            ++j;
        }
        if (j < length && isDigit(folded[j])) {
            std::int64_t exponent = 0;
            for (; j < length && isDigit(folded[j]); ++j)
                exponent = std::min(exponent * 10 + (folded[j] - '0'), exponentLimit);
            scale += negativeExponent ? -exponent : exponent;
        }
    }

    double value = 0.0;
    if (!digits.empty()) {
        if (scale > 400) {
            value = HUGE_VAL;
        } else if (scale >= -400) {
            const std::string number = "0." + digits + "e" + std::to_string(scale);
            const auto [end, error] =
                std::from_chars(number.data(), number.data() + number.size(), value);
            // Out of range is overflow for a large scale and underflow for a small one; like
            // strtod, answer infinity or zero then.
            if (error == std::errc::result_out_of_range)
                value = scale > 0 ? HUGE_VAL : 0.0;
            else if (error != std::errc{})
                value = 0.0;
        }
    }
    return negative ? -value : value;
}

} // namespace text
