#include "commands/fontcolor.h"

namespace commands {

void chooseFontColor(const ColorSource &picker, CharFormat &highlight)
{
    highlight.TextColor = picker.colorValue();
}

} // namespace commands
