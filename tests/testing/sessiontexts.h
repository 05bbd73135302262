#pragma once

// Seeded generators of the texts a session pastes and types: prose in lines, Chinese, one long
// unbroken line, lines with mixed line ends, and text full of four-byte characters (emoji,
// Korean, Arabic, rare Han) among one- and two-byte ones. Every character stands alone as the
// cursor moves: no combining marks, joiners or flag pairs.

#include <cstdint>

#include <QString>

namespace sessiontexts {

// splitmix64: small, and the same sequence on every machine.
class Random
{
public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint64_t next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A number in [0, bound); 0 for a bound of 0.
    int below(int bound) { return bound > 0 ? int(next() % uint64_t(bound)) : 0; }
    bool chance(int percent) { return below(100) < percent; }

private:
    uint64_t m_state;
};

enum class Kind
{
    Prose,
    Chinese,
    LongLine,
    MixedLineEnds,
    FourByte,
};
inline constexpr int kKindCount = 5;

inline const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::Prose:
        return "prose";
    case Kind::Chinese:
        return "chinese";
    case Kind::LongLine:
        return "long line";
    case Kind::MixedLineEnds:
        return "mixed line ends";
    case Kind::FourByte:
        return "four-byte";
    }
    return "?";
}

inline void appendCodePoint(QString &text, char32_t codePoint)
{
    text += QString::fromUcs4(&codePoint, 1);
}

inline QChar letter(Random &random)
{
    return QChar(u'a' + random.below(26));
}

inline QString word(Random &random)
{
    if (random.chance(30))
        return QStringLiteral("the");
    QString word;
    for (int i = 1 + random.below(8); i > 0; --i)
        word += letter(random);
    return word;
}

// Chinese characters of the common block (two bytes each in the code page).
inline char32_t chineseCharacter(Random &random)
{
    return char32_t(0x4E00 + random.below(0x9FA5 - 0x4E00 + 1));
}

// A character that takes four bytes in the code page.
inline char32_t fourByteCharacter(Random &random)
{
    switch (random.below(4)) {
    case 0:
        return char32_t(0x1F600 + random.below(0x50)); // emoji faces
    case 1:
        return char32_t(0xAC00 + random.below(0xD7A3 - 0xAC00 + 1)); // Korean syllables
    case 2:
        return char32_t(0x0621 + random.below(0x064A - 0x0621 + 1)); // Arabic letters
    default:
        return char32_t(0x20000 + random.below(0xA6D6)); // rare Han
    }
}

// About `units` UTF-16 units of one kind of text.
inline QString generate(Kind kind, int units, Random &random)
{
    QString text;
    int line = 0;
    const auto endLine = [&](const QString &end) {
        text += end;
        line = 0;
    };
    while (text.size() < units) {
        switch (kind) {
        case Kind::Prose: {
            const QString w = word(random);
            if (line + w.size() + 1 > 79)
                endLine(QStringLiteral("\n"));
            else if (line > 0)
                text += u' ';
            text += w;
            line += int(w.size()) + 1;
            break;
        }
        case Kind::Chinese:
            appendCodePoint(text, chineseCharacter(random));
            ++line;
            if (random.chance(8))
                text += random.chance(50) ? QStringLiteral("，") : QStringLiteral("。");
            if (line > 36 || random.chance(2))
                endLine(QStringLiteral("\n"));
            break;
        case Kind::LongLine:
            text += letter(random);
            break;
        case Kind::MixedLineEnds: {
            text += word(random);
            line += 4;
            static const QString ends[] = {QStringLiteral("\n"), QStringLiteral("\r\n"),
                                           QStringLiteral("\r")};
            if (line > 40 || random.chance(10))
                endLine(ends[random.below(3)]);
            else
                text += u' ';
            break;
        }
        case Kind::FourByte: {
            const int pick = random.below(10);
            if (pick < 5)
                appendCodePoint(text, fourByteCharacter(random));
            else if (pick < 7)
                appendCodePoint(text, chineseCharacter(random));
            else if (pick < 9)
                text += letter(random);
            else
                text += random.chance(70) ? u' ' : u'\n';
            break;
        }
        }
    }
    return text;
}

// A few characters a user types: letters and spaces, now and then a Chinese character.
inline QString typed(Random &random)
{
    QString text;
    for (int i = 1 + random.below(6); i > 0; --i) {
        const int pick = random.below(10);
        if (pick < 7)
            text += letter(random);
        else if (pick < 9)
            text += u' ';
        else
            appendCodePoint(text, chineseCharacter(random));
    }
    return text;
}

} // namespace sessiontexts
