// ParseNumber on fuzzed texts, run under a locale with a decimal comma when the system has one:
// it must not crash and must read the same number as the literal step-by-step version, which
// converts in the "C" locale.

#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "bytesreference.h"
#include "text/bytes.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        std::setlocale(LC_ALL, "de_DE");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(bytes), size);
    const double value = text::ParseNumber(input);
    const double expected = reference::parseNumber(input);
    if (value != expected || std::signbit(value) != std::signbit(expected))
        __builtin_trap();
    return 0;
}
