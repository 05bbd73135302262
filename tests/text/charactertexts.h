#pragma once

// Texts made of whole GB18030 characters of one, two and four bytes, for tests that check that
// searching and replacing keep characters whole. The characters are chosen so that their bytes
// meet in awkward ways: the last two bytes of 'ء' and the first two of the next 'ء' spell '외',
// the emoji differ only in their last byte, second bytes are ASCII letters that fold ('丄' 81 41,
// '乤' 81 61) or digits (every four-byte character), and 'Ā' is a four-byte character of the
// basic plane.

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "text/codepage.h"

namespace charactertexts {

struct Text
{
    std::string bytes;
    std::vector<std::size_t> starts; // the offset of each character, in order

    bool startsCharacter(std::size_t offset) const
    {
        for (const std::size_t start : starts) {
            if (start == offset)
                return true;
        }
        return false;
    }
};

class Generator
{
public:
    explicit Generator(unsigned seed) : m_random(seed)
    {
        const QStringList pool = {QStringLiteral("a"),  QStringLiteral("A"),  QStringLiteral("b"),
                                  QStringLiteral("1"),  QStringLiteral("中"), QStringLiteral("国"),
                                  QStringLiteral("丄"), QStringLiteral("乤"), QStringLiteral("ء"),
                                  QStringLiteral("외"), QStringLiteral("😀"),  QStringLiteral("😁"),
                                  QStringLiteral("𠀀"), QStringLiteral("Ā")};
        for (const QString &character : pool)
            m_characters.push_back(text::toCodePage(character));
    }

    // Up to maxCharacters characters drawn from the pool.
    Text text(int maxCharacters)
    {
        Text result;
        const int count = number(0, maxCharacters);
        for (int i = 0; i < count; ++i) {
            result.starts.push_back(result.bytes.size());
            result.bytes += m_characters[std::size_t(number(0, int(m_characters.size()) - 1))];
        }
        return result;
    }

    // A search text for a text: whole characters of it, bytes of it cut anywhere (across
    // characters as often as not), or characters of its own.
    std::string searchFor(const Text &haystack) { return search(haystack, true); }

    // A search text a user can type: whole characters, of the text or of its own.
    std::string wholeCharactersFor(const Text &haystack) { return search(haystack, false); }

    int number(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }

private:
    std::string search(const Text &haystack, bool cutAnywhere)
    {
        const std::size_t length = haystack.bytes.size();
        int kind = length == 0 ? 2 : number(0, 2);
        if (kind == 1 && !cutAnywhere)
            kind = 2;
        switch (kind) {
        case 0: {
            const int count = int(haystack.starts.size());
            const int first = number(0, count - 1);
            const int last = number(first + 1, std::min(count, first + 3));
            const std::size_t from = haystack.starts[std::size_t(first)];
            const std::size_t to = last == count ? length : haystack.starts[std::size_t(last)];
            return haystack.bytes.substr(from, to - from);
        }
        case 1: {
            const int from = number(0, int(length) - 1);
            return haystack.bytes.substr(std::size_t(from), std::size_t(number(1, 6)));
        }
        default:
            return text(2).bytes;
        }
    }

    std::vector<std::string> m_characters;
    std::mt19937 m_random;
};

} // namespace charactertexts
