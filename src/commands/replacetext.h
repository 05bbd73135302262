#pragma once

// The text Replace all leaves in the left pane, computed in memory so that the pane is written
// once. Pure byte-string work: no widgets.

#include <cstddef>
#include <string>
#include <string_view>

namespace commands {

// The longest result Replace all produces. Byte positions reach 2 GiB, but the pane holds its
// text as UTF-16 with a layout on top, several times the bytes, and would take minutes to lay out
// a text this long; a quarter of a GiB keeps a runaway replacement (a megabyte of 'a', each
// replaced by 64 KiB) from exhausting memory while leaving room for any text a user edits.
inline constexpr std::size_t kReplaceLimitBytes = 256u * 1024 * 1024;

enum class ReplaceStatus
{
    NothingFound,
    Replaced,
    TooLarge
};

struct ReplaceResult
{
    ReplaceStatus status;
    std::string text; // the new text; only meaningful for Replaced
};

// Replaces the occurrences of search in text, ASCII letters matching whatever their case and
// matches starting only on character boundaries (text::FindBytes). After each replacement the
// next search starts after the replacement's first character (at the removed occurrence itself
// when the replacement is empty), so it also finds occurrences that the end of the replacement
// forms with the text after it. When that would go on for ever, because the search text occurs
// in the replacement after its first character, each occurrence in text is replaced once, left
// to right, instead. Only the bytes before the first zero byte are searched; the zero byte and
// everything after it stay unchanged at the end. search and replacement end at their first zero
// byte. NothingFound when search is empty or does not occur; TooLarge, without a text, when the
// result would be longer than limitBytes. Linear in the lengths of text and result.
ReplaceResult replaceAllText(std::string_view text, std::string_view search,
                             std::string_view replacement,
                             std::size_t limitBytes = kReplaceLimitBytes);

} // namespace commands
