// Runs Replace all on fuzzed texts and traps on any answer that differs from the loop run pass
// by pass, or, where that loop never ends, from replacing each occurrence once.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "../tests/commands/replacereference.h"
#include "commands/replacetext.h"

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// The pass-by-pass loop copies the whole text on every pass; longer texts only slow it down.
constexpr std::size_t maxTextLength = 256;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const std::size_t limit = data.ConsumeBool() ? data.ConsumeIntegralInRange<std::size_t>(0, 512)
                                                 : commands::kReplaceLimitBytes;
    const std::string search = data.ConsumeRandomLengthString(16);
    const std::string replacement = data.ConsumeRandomLengthString(16);
    std::string text = data.ConsumeRemainingBytesAsString();
    text.resize(std::min(text.size(), maxTextLength));

    // Without a repeating replacement every pass uses up a byte of the original text, so more
    // passes than it has bytes mean the loop never ends.
    const std::size_t searched = reference::searchedPart(text).size();
    const reference::LoopOutcome loop =
        reference::replaceLoop(text, search, replacement, static_cast<int>(searched) + 1);
    const bool repeats = reference::occursInReplacement(search, replacement);
    check(loop.ended == (!repeats || loop.passes == 0));
    const std::string expected =
        loop.ended ? loop.result : reference::replaceEachOnce(text, search, replacement);

    const commands::ReplaceResult result =
        commands::replaceAllText(text, search, replacement, limit);
    if (loop.passes == 0) {
        check(result.status == commands::ReplaceStatus::NothingFound);
    } else if (expected.size() > limit) {
        check(result.status == commands::ReplaceStatus::TooLarge);
    } else {
        check(result.status == commands::ReplaceStatus::Replaced);
        check(result.text == expected);
    }
    return 0;
}
