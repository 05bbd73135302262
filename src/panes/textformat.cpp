#include "panes/textformat.h"

#include <QColor>

#include "text/codepage.h"

namespace textformat {

namespace {

constexpr std::size_t kMaxFaceBytes = 31;

QColor colorFromValue(uint32_t value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

QString faceName(const std::string &fontName)
{
    std::size_t cut = 0;
    while (cut < fontName.size() && fontName[cut] != '\0') {
        const auto ch = text::codePageCharAt(fontName, cut);
        if (cut + ch.bytes > kMaxFaceBytes)
            break;
        cut += ch.bytes;
    }
    return text::fromCodePage(std::string_view(fontName).substr(0, cut));
}

void applyTo(const CharFormat &record, QTextCharFormat &format)
{
    const QString face = faceName(record.FontName);
    if (!face.isEmpty())
        format.setFontFamilies(QStringList{face});
    else
        format.clearProperty(QTextFormat::FontFamilies);

    if (record.FontSize > 0)
        format.setFontPointSize(record.FontSize);

    // The offset is in points; the pane takes it as a share of the font height.
    const qreal size = record.FontSize > 0 ? record.FontSize : format.fontPointSize();
    format.setBaselineOffset(size > 0 ? 100.0 * record.Offset / size : 0.0);

    const uint32_t effects = record.Effects & CharFormat::EffectMask;
    format.setFontWeight((effects & CharFormat::Bold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(effects & CharFormat::Italic);
    format.setFontUnderline(effects & CharFormat::Underline);
    format.setFontStrikeOut(effects & CharFormat::StrikeOut);
    format.setProperty(ProtectedProperty, bool(effects & CharFormat::Protected));

    if (record.TextColor == CharFormat::AutomaticColor)
        format.clearForeground();
    else
        format.setForeground(colorFromValue(record.TextColor));
}

} // namespace textformat
