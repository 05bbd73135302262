#pragma once

// A character format as the commands describe a highlight: face, size, baseline offset, effects
// and colour. The program holds one of them, the highlight format.

#include <cstdint>
#include <string>

struct CharFormat
{
    // Effect bits; higher bits are ignored.
    static constexpr uint32_t Bold = 1;
    static constexpr uint32_t Italic = 2;
    static constexpr uint32_t Underline = 4;
    static constexpr uint32_t StrikeOut = 8;
    static constexpr uint32_t Protected = 16;
    static constexpr uint32_t EffectMask = 0x1F;

    // The colour that means "the pane's default text colour".
    static constexpr uint32_t AutomaticColor = 0xFF000000;

    std::string FontName; // face name, bytes in the code page
    int32_t FontSize = 0; // points
    int32_t Offset = 0;   // points above the baseline
    uint32_t Effects = 0;
    uint32_t TextColor = 0; // 0x00BBGGRR, or AutomaticColor
};
