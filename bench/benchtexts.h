#pragma once

// The benchmark inputs, generated the same way on every run from fixed seeds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace benchtexts {

inline constexpr std::size_t kMiB = std::size_t(1) << 20;

// Lowercase ASCII words and single spaces in lines of at most 80 bytes, line break included;
// about every other word is "the". Another seed gives an unrelated text of the same kind.
std::string prose(std::size_t bytes, uint64_t seed = 1);
// Two-byte GB18030 Chinese characters with ASCII punctuation, in lines of at most 80 bytes.
std::string cjk(std::size_t bytes);
// Lowercase letters without a space or a line break.
std::string longLine(std::size_t bytes);

// The text with the byte at every step-th position (the step-th, the 2*step-th, ...) changed: a
// letter to the next letter, a punctuation mark to another one, a space to a line break and a
// line break to a space; in a two-byte character the changed byte keeps the character whole.
std::string changedEvery(std::string_view text, std::size_t step);

// The text with about one character in every `every` (a line break counts as one) deleted,
// replaced, or preceded by an inserted character, each third of the time, at random places.
// What goes in is of the kind of the character there: a Chinese character for a two-byte one,
// else a lowercase letter.
std::string editedAtRandom(std::string_view text, unsigned every, uint64_t seed);

} // namespace benchtexts
