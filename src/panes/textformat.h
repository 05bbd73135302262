#pragma once

// How a CharFormat becomes the format of a pane's characters.

#include <QTextCharFormat>

#include "panes/charformat.h"

namespace textformat {

// The property that marks protected characters: the pane refuses edits of their text.
inline constexpr int ProtectedProperty = QTextFormat::UserProperty + 1;

// The face name as it reaches the pane: at most 31 bytes, cut on a character boundary.
QString faceName(const std::string &fontName);

// Sets every attribute the record describes on a format: face, size (kept as it is when the
// record's size is not positive, so the characters stay readable), baseline offset, the five
// effects and the colour (none for the automatic colour, so the pane's palette decides). The
// face name is decoded once, as Compare formats up to one run per differing position.
class Applier
{
public:
    explicit Applier(const CharFormat &record);

    void applyTo(QTextCharFormat &format) const;
    // What the record makes of a format, remembered for the last format asked: neighbouring
    // runs of a text mostly share one.
    const QTextCharFormat &applied(const QTextCharFormat &format);
    // Whether the record leaves the format as it is.
    bool keeps(const QTextCharFormat &format);
    bool keepsSize() const { return m_record.FontSize <= 0; }

private:
    const CharFormat &m_record;
    QString m_face;
    QTextCharFormat m_lastInput;
    QTextCharFormat m_lastOutput;
    bool m_hasLast = false;
};

inline void applyTo(const CharFormat &record, QTextCharFormat &format)
{
    Applier(record).applyTo(format);
}

} // namespace textformat
