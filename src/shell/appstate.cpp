#include "shell/appstate.h"

std::unique_ptr<CharFormat> createHighlightFormat()
{
    auto format = std::make_unique<CharFormat>();
    format->FontName = "\xCB\xCE\xCC\xE5"; // 宋体 in the code page
    format->FontSize = 9;
    format->TextColor = CharFormat::AutomaticColor;
    return format;
}
