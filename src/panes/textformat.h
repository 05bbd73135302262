#pragma once

// How a CharFormat becomes the format of a pane's characters.

#include <QTextCharFormat>

#include "panes/charformat.h"

namespace textformat {

// The property that marks protected characters: the pane refuses edits of their text.
inline constexpr int ProtectedProperty = QTextFormat::UserProperty + 1;

// The face name as it reaches the pane: at most 31 bytes, cut on a character boundary.
QString faceName(const std::string &fontName);

// Sets every attribute the record describes on the format: face, size (kept as it is when the
// record's size is not positive, so the characters stay readable), baseline offset, the five
// effects and the colour (none for the automatic colour, so the pane's palette decides).
void applyTo(const CharFormat &record, QTextCharFormat &format);

} // namespace textformat
