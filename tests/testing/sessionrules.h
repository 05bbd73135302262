#pragma once

// What the commands must do, written plainly and slowly over whole byte texts, as the session
// model's expected answers. Every rule the model predicts a command by lives here:
// - characters: a byte 0x81-0xFE followed by 0x30-0x39 begins a four-byte character, any other
//   byte 0x80-0xFF a two-byte one, anything else is a character of its own;
// - Compare differs at every byte position where the texts' bytes differ, where only the left
//   text has a byte, and where only the right text has one (marked in the right pane);
// - Find next searches from one character after its last match, or from the start; the click
//   whose search finds nothing shows the message, marks nothing and starts over from the top;
//   the find cursor returns to 0 when the search text changes, on Clear, and when Replace all
//   writes the left pane;
// - Replace all replaces from the start, ignoring the case of ASCII letters, and searches again
//   from one character into the replacement (at the occurrence itself for an empty
//   replacement); when the search text occurs in the replacement after its first character,
//   each occurrence of the original text is replaced once instead. An empty search text
//   replaces nothing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sessionrules {

inline unsigned char byteAt(std::string_view text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]);
}

// The length of the character that starts at offset i: 1, 2 or 4 bytes, cut at the text's end.
inline std::size_t characterLength(std::string_view text, std::size_t i)
{
    const unsigned char first = byteAt(text, i);
    std::size_t length = 1;
    if (first >= 0x81 && first <= 0xFE && i + 1 < text.size() && byteAt(text, i + 1) >= 0x30 &&
        byteAt(text, i + 1) <= 0x39)
        length = 4;
    else if (first >= 0x80)
        length = 2;
    return std::min(length, text.size() - i);
}

inline unsigned char folded(unsigned char c, bool ignoreCase)
{
    return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 0x20) : c;
}

// The 1-based position of the first match of search at or after start that begins on a
// character boundary as counted from start, or -1. An empty search matches at 1 whenever
// anything is left to search.
inline int32_t findBytes(std::string_view text, std::string_view search, int32_t start,
                         bool ignoreCase)
{
    std::size_t at = start > 1 ? std::size_t(start - 1) : 0;
    if (at >= text.size())
        return -1;
    if (search.empty())
        return 1;
    while (at + search.size() <= text.size()) {
        bool equal = true;
        for (std::size_t k = 0; k < search.size() && equal; ++k)
            equal =
                folded(byteAt(text, at + k), ignoreCase) == folded(byteAt(search, k), ignoreCase);
        if (equal)
            return int32_t(at + 1);
        at += characterLength(text, at);
    }
    return -1;
}

// Byte offsets at which Compare finds the texts different, per pane: the left pane's run up to
// the left text's end, the right pane's up to the right text's end.
struct Differences
{
    std::vector<std::size_t> left;
    std::vector<std::size_t> right;
};

inline Differences compareBytes(std::string_view left, std::string_view right)
{
    Differences found;
    const std::size_t longest = std::max(left.size(), right.size());
    for (std::size_t i = 0; i < longest; ++i) {
        const bool differs =
            i >= left.size() || i >= right.size() || byteAt(left, i) != byteAt(right, i);
        if (!differs)
            continue;
        if (i < left.size())
            found.left.push_back(i);
        if (i < right.size())
            found.right.push_back(i);
    }
    return found;
}

// Where Find next searches after a match at cursor (1-based), or from the top for cursor 0.
inline int32_t findNextStart(std::string_view text, int32_t cursor)
{
    if (cursor < 1)
        return 1;
    if (std::size_t(cursor) > text.size())
        return cursor + 1;
    return cursor + int32_t(characterLength(text, std::size_t(cursor - 1)));
}

struct FindOutcome
{
    int32_t found = -1;   // 1-based, -1 when nothing was found
    int32_t cursor = 0;   // the find cursor afterwards
    bool message = false; // the end-of-search message is shown
};

inline FindOutcome findNext(std::string_view text, std::string_view search, int32_t cursor)
{
    FindOutcome outcome;
    outcome.found = findBytes(text, search, findNextStart(text, cursor), false);
    outcome.message = outcome.found == -1;
    outcome.cursor = outcome.message ? 0 : outcome.found;
    return outcome;
}

// The left text after Replace all; found tells whether anything was replaced (and the pane
// written).
struct ReplaceOutcome
{
    bool found = false;
    std::string text;
};

inline ReplaceOutcome replaceAll(std::string_view text, std::string_view search,
                                 std::string_view replacement)
{
    ReplaceOutcome outcome{false, std::string(text)};
    if (search.empty())
        return outcome;
    const std::size_t resume = replacement.empty() ? 0 : characterLength(replacement, 0);
    const bool endless = findBytes(replacement, search, int32_t(resume + 1), true) != -1;
    std::string &t = outcome.text;
    if (endless) {
        std::string result;
        int32_t from = 1;
        for (;;) {
            const int32_t r = findBytes(text, search, from, true);
            if (r == -1)
                break;
            outcome.found = true;
            result.append(text.substr(std::size_t(from - 1), std::size_t(r - from)));
            result.append(replacement);
            from = r + int32_t(search.size());
        }
        result.append(text.substr(std::size_t(from - 1)));
        t = std::move(result);
        return outcome;
    }
    // The searched text is the rest of the latest replacement, from where the search resumes
    // in it, followed by the original text not yet searched; what lies before it is final.
    std::string pending;
    std::string_view rest = text;
    const auto byteOfSearched = [&](std::size_t i) -> int {
        if (i < pending.size())
            return byteAt(pending, i);
        return i - pending.size() < rest.size() ? byteAt(rest, i - pending.size()) : -1;
    };
    const auto matchesAt = [&](std::size_t p) {
        for (std::size_t k = 0; k < search.size(); ++k) {
            const int c = byteOfSearched(p + k);
            if (c < 0 || folded(c, true) != folded(byteAt(search, k), true))
                return false;
        }
        return true;
    };
    t.clear();
    for (;;) {
        std::size_t p = 0;
        while (p < pending.size() && !matchesAt(p))
            p += characterLength(pending, p);
        std::size_t at = p;
        if (p >= pending.size()) {
            const int32_t r = findBytes(rest, search, int32_t(p - pending.size() + 1), true);
            if (r == -1)
                break;
            at = pending.size() + std::size_t(r - 1);
        }
        outcome.found = true;
        // An occurrence wholly inside the replacement would make the search endless, which
        // the check above rules out; every occurrence reaches into the original text.
        if (at < pending.size()) {
            t.append(pending, 0, at);
        } else {
            t.append(pending);
            t.append(rest.substr(0, at - pending.size()));
        }
        rest = rest.substr(at + search.size() - pending.size());
        t.append(replacement.substr(0, resume));
        pending = std::string(replacement.substr(resume));
    }
    t.append(pending);
    t.append(rest);
    return outcome;
}

} // namespace sessionrules
