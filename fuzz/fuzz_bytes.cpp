// Runs every byte routine on fuzzed texts, positions and counts and traps on any answer that
// differs from the literal step-by-step versions.

#include <cstddef>
#include <cstdint>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "bytesreference.h"
#include "text/bytes.h"

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// Mostly positions and counts near the text, now and then anything an int32 holds.
int32_t position(FuzzedDataProvider &data, std::size_t length)
{
    if (data.ConsumeBool())
        return data.ConsumeIntegral<int32_t>();
    return data.ConsumeIntegralInRange<int32_t>(-3, static_cast<int32_t>(length) + 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const bool ignoreCase = data.ConsumeBool();
    const std::string search = data.ConsumeRandomLengthString(64);
    const std::string other = data.ConsumeRandomLengthString(64);
    const int32_t start = position(data, size);
    const int32_t count = position(data, size);
    // The searched text comes last and takes the rest, so long texts are easy to reach.
    const std::string text = data.ConsumeRemainingBytesAsString();

    check(text::ByteLength(text) == reference::byteLength(text));
    check(text::FindBytes(text, search, start, ignoreCase) ==
          reference::findBytes(text, search, start, ignoreCase));
    check(text::MidBytes(text, start, count) == reference::midBytes(text, start, count));
    check(text::ReplaceBytes(text, start, count, other) ==
          reference::replaceBytes(text, start, count, other));
    check(text::CompareBytes(text, other) == reference::compareBytes(text, other));
    check(text::CompareBytes(other, text) == reference::compareBytes(other, text));
    check(text::FoldFullWidth(text) == reference::foldFullWidth(text));
    const std::string terminated = text + '\0';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(terminated[i]);
        const auto second = static_cast<unsigned char>(terminated[i + 1]);
        check(text::CharacterLengthAt(text, i) == reference::characterLength(first, second));
    }
    return 0;
}
