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

Applier::Applier(const CharFormat &record) : m_record(record), m_face(faceName(record.FontName)) {}

void Applier::applyTo(QTextCharFormat &format) const
{
    if (!m_face.isEmpty())
        format.setFontFamilies(QStringList{m_face});
    else
        format.clearProperty(QTextFormat::FontFamilies);

    if (m_record.FontSize > 0)
        format.setFontPointSize(m_record.FontSize);

    // The offset is in points; the pane takes it as a share of the font height.
    const qreal size = m_record.FontSize > 0 ? m_record.FontSize : format.fontPointSize();
    format.setBaselineOffset(size > 0 ? 100.0 * m_record.Offset / size : 0.0);

    const uint32_t effects = m_record.Effects & CharFormat::EffectMask;
    format.setFontWeight((effects & CharFormat::Bold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(effects & CharFormat::Italic);
    format.setFontUnderline(effects & CharFormat::Underline);
    format.setFontStrikeOut(effects & CharFormat::StrikeOut);
    format.setProperty(ProtectedProperty, bool(effects & CharFormat::Protected));

    if (m_record.TextColor == CharFormat::AutomaticColor)
        format.clearForeground();
    else
        format.setForeground(colorFromValue(m_record.TextColor));
}

const QTextCharFormat &Applier::applied(const QTextCharFormat &format)
{
    if (!m_hasLast || format != m_lastInput) {
        m_lastInput = format;
        m_lastOutput = format;
        applyTo(m_lastOutput);
        m_hasLast = true;
    }
    return m_lastOutput;
}

bool Applier::keeps(const QTextCharFormat &format)
{
    return applied(format) == format;
}

} // namespace textformat
