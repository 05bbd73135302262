#pragma once

// The benchmark inputs, generated the same way on every run from fixed seeds.

#include <cstddef>
#include <string>
#include <string_view>

namespace benchtexts {

inline constexpr std::size_t kMiB = std::size_t(1) << 20;

// Lowercase ASCII words and single spaces in lines of at most 80 bytes, line break included;
// about every other word is "the".
std::string prose(std::size_t bytes);
// Two-byte GB18030 Chinese characters with ASCII punctuation, in lines of at most 80 bytes.
std::string cjk(std::size_t bytes);
// Lowercase letters without a space or a line break.
std::string longLine(std::size_t bytes);

// The text with the byte at every step-th position (the step-th, the 2*step-th, ...) changed: a
// letter to the next letter, a punctuation mark to another one, a space to a line break and a
// line break to a space; in a two-byte character the changed byte keeps the character whole.
std::string changedEvery(std::string_view text, std::size_t step);

} // namespace benchtexts
