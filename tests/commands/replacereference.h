#pragma once

// Slow, literal versions of Replace all, shared by its tests and its fuzz target as the expected
// answers: the loop written pass by pass on whole texts with the byte routines, and the plain
// left-to-right replacement used where that loop never ends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "../text/bytesreference.h"
#include "text/bytes.h"

namespace reference {

struct LoopOutcome
{
    int passes = 0;     // replacements made
    bool ended = true;  // false when the search still found something after maxPasses passes
    std::string result; // the whole text after the loop, when it ended
};

// The part of the text the routines see, and the part from the first zero byte on that is kept.
inline std::string_view searchedPart(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

// Replace all as a loop: search from s ignoring case, replace the match, and search again from
// the match (empty replacement) or from the character after the first character of the text
// there, which begins with the replacement: 1, 2 or 4 bytes on.
inline LoopOutcome replaceLoop(std::string_view text, std::string_view search,
                               std::string_view replacement, int maxPasses)
{
    const std::string_view kept = text.substr(searchedPart(text).size());
    std::string t(searchedPart(text));
    LoopOutcome outcome;
    const int32_t n = text::ByteLength(search);
    if (n == 0) {
        outcome.result = std::string(text);
        return outcome;
    }
    int32_t s = 1;
    for (;;) {
        const int32_t r = text::FindBytes(t, search, s, true);
        if (r == -1)
            break;
        if (outcome.passes == maxPasses) {
            outcome.ended = false;
            return outcome;
        }
        ++outcome.passes;
        t = text::ReplaceBytes(t, r, n, replacement);
        if (text::ByteLength(replacement) == 0) {
            s = r;
        } else {
            // t is a std::string: the byte after its last one reads as 0.
            const auto at = static_cast<std::size_t>(r - 1);
            s = r + characterLength(static_cast<unsigned char>(t[at]),
                                    static_cast<unsigned char>(t[at + 1]));
        }
    }
    outcome.result = t + std::string(kept);
    return outcome;
}

// True when the search text occurs in the replacement from its second character on, where the
// loop's next search begins.
inline bool occursInReplacement(std::string_view search, std::string_view replacement)
{
    const std::string r = terminated(replacement);
    if (text::ByteLength(search) == 0 || r.empty())
        return false;
    const int32_t k =
        1 + characterLength(static_cast<unsigned char>(r[0]), static_cast<unsigned char>(r[1]));
    return text::FindBytes(r, search, k, true) != -1;
}

// Each occurrence in the text replaced once, left to right, the next search starting right after
// the occurrence. Also counts the occurrences.
inline std::string replaceEachOnce(std::string_view text, std::string_view search,
                                   std::string_view replacement, int *count = nullptr)
{
    const std::string_view searched = searchedPart(text);
    const int32_t n = text::ByteLength(search);
    std::string result;
    int found = 0;
    int32_t s = 1;
    while (n > 0) {
        const int32_t r = text::FindBytes(searched, search, s, true);
        if (r == -1)
            break;
        ++found;
        result += searched.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(r - s));
        result += searchedPart(replacement);
        s = r + n;
    }
    result += text.substr(static_cast<std::size_t>(s - 1));
    if (count != nullptr)
        *count = found;
    return result;
}

} // namespace reference
