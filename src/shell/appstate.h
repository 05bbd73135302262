#pragma once

// The values that outlive one command.

#include <cstdint>
#include <memory>

#include "panes/charformat.h"

struct AppState
{
    // The highlight format, from start-up until the exit clean-up releases it.
    std::unique_ptr<CharFormat> highlight;
    // The 1-based byte position of the last match of Find next; 0 before the first search.
    int32_t findCursor = 0;
};

// The highlight format as the program starts: 宋体, 9 points, no offset, no effects, automatic
// colour.
std::unique_ptr<CharFormat> createHighlightFormat();
