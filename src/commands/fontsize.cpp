#include "commands/fontsize.h"

#include <cmath>

#include "text/bytes.h"

namespace commands {

int32_t truncateToInt32(double value)
{
    // 2^63: the first magnitude a 64-bit integer cannot hold. The processor answers such a
    // conversion with 0x8000000000000000, whose low 32 bits are 0.
    constexpr double kLimit = 9223372036854775808.0;
    if (!std::isfinite(value) || value >= kLimit || value < -kLimit)
        return 0;
    const auto whole = static_cast<int64_t>(value);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
}

void chooseFontSize(const ItemList &list, CharFormat &highlight)
{
    const std::string item = list.itemText(list.listIndex());
    highlight.FontSize = truncateToInt32(text::ParseNumber(item));
}

} // namespace commands
