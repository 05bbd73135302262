#include "benchtexts.h"

#include <cstdint>

namespace benchtexts {

namespace {

// Longest line, its line break included.
constexpr std::size_t kLineBytes = 80;
constexpr std::string_view kPunctuation = ",.;:!?";

// The GB2312 rows 0xB0..0xD6 hold Chinese characters at every trail byte 0xA1..0xFE.
constexpr unsigned kFirstLead = 0xB0;
constexpr unsigned kLeadCount = 0xD6 - 0xB0 + 1;
constexpr unsigned kFirstTrail = 0xA1;
constexpr unsigned kTrailCount = 0xFE - 0xA1 + 1;

// splitmix64: small, fast, and the same sequence everywhere.
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
    // A number in [0, bound).
    unsigned below(unsigned bound) { return unsigned(next() % bound); }

private:
    uint64_t m_state;
};

char letter(Random &random)
{
    return char('a' + random.below(26));
}

// Appends tokens (words, or runs of characters) in lines, breaking a line before a token that
// would pass the line length.
class LineWriter
{
public:
    explicit LineWriter(std::size_t bytes) { m_text.reserve(bytes + kLineBytes); }

    void add(std::string_view token, bool spaced)
    {
        const std::size_t gap = (spaced && m_line > 0) ? 1 : 0;
        if (m_line + gap + token.size() + 1 > kLineBytes) {
            m_text += '\n';
            m_line = 0;
        } else if (gap) {
            m_text += ' ';
            ++m_line;
        }
        m_text += token;
        m_line += token.size();
    }
    std::size_t size() const { return m_text.size(); }
    std::string take() { return std::move(m_text); }

private:
    std::string m_text;
    std::size_t m_line = 0;
};

} // namespace

std::string prose(std::size_t bytes, uint64_t seed)
{
    Random random(seed);
    LineWriter writer(bytes);
    std::string word;
    while (writer.size() < bytes) {
        if (random.below(2) == 0) {
            word = "the";
        } else {
            word.resize(2 + random.below(8));
            for (char &ch : word)
                ch = letter(random);
        }
        writer.add(word, true);
    }
    std::string text = writer.take();
    text.resize(bytes);
    return text;
}

std::string cjk(std::size_t bytes)
{
    Random random(2);
    LineWriter writer(bytes);
    std::string run;
    while (writer.size() < bytes) {
        // A run of 1..12 characters, then a punctuation mark after some of them.
        run.clear();
        const unsigned characters = 1 + random.below(12);
        for (unsigned i = 0; i < characters; ++i) {
            run += char(kFirstLead + random.below(kLeadCount));
            run += char(kFirstTrail + random.below(kTrailCount));
        }
        if (random.below(3) == 0)
            run += kPunctuation[random.below(unsigned(kPunctuation.size()))];
        writer.add(run, false);
    }
    std::string text = writer.take();
    // Cut on a character boundary; a lone last byte becomes a punctuation mark.
    text.resize(bytes);
    std::size_t i = 0;
    while (i < text.size())
        i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
    if (i > text.size())
        text.back() = '.';
    return text;
}

std::string longLine(std::size_t bytes)
{
    Random random(3);
    std::string text(bytes, '\0');
    for (char &ch : text)
        ch = letter(random);
    return text;
}

namespace {

char changedAscii(char ch)
{
    if (ch >= 'a' && ch <= 'z')
        return ch == 'z' ? 'a' : char(ch + 1);
    if (ch == ' ')
        return '\n';
    if (ch == '\n')
        return ' ';
    const std::size_t mark = kPunctuation.find(ch);
    if (mark != std::string_view::npos)
        return kPunctuation[(mark + 1) % kPunctuation.size()];
    return char(ch ^ 1);
}

char changedInRange(char ch, unsigned first, unsigned count)
{
    const unsigned value = static_cast<unsigned char>(ch);
    return char(first + (value - first + 1) % count);
}

} // namespace

std::string changedEvery(std::string_view text, std::size_t step)
{
    std::string changed(text);
    std::size_t next = step - 1;
    std::size_t i = 0;
    while (i < changed.size()) {
        const bool twoByte = static_cast<unsigned char>(changed[i]) >= 0x80;
        const std::size_t width = twoByte && i + 1 < changed.size() ? 2 : 1;
        for (; next < i + width; next += step) {
            if (!twoByte)
                changed[next] = changedAscii(changed[next]);
            else if (next == i)
                changed[next] = changedInRange(changed[next], kFirstLead, kLeadCount);
            else
                changed[next] = changedInRange(changed[next], kFirstTrail, kTrailCount);
        }
        i += width;
    }
    return changed;
}

std::string editedAtRandom(std::string_view text, unsigned every, uint64_t seed)
{
    Random random(seed);
    std::string edited;
    edited.reserve(text.size() + text.size() / every + 2);
    const auto addLike = [&](bool twoByte) {
        if (twoByte) {
            edited += char(kFirstLead + random.below(kLeadCount));
            edited += char(kFirstTrail + random.below(kTrailCount));
        } else {
            edited += letter(random);
        }
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const bool twoByte = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size();
        const std::size_t width = twoByte ? 2 : 1;
        if (random.below(every) == 0) {
            switch (random.below(3)) {
            case 0: // deleted
                break;
            case 1: // replaced
                addLike(twoByte);
                break;
            default: // a character inserted before it
                addLike(twoByte);
                edited.append(text.substr(i, width));
                break;
            }
        } else {
            edited.append(text.substr(i, width));
        }
        i += width;
    }
    return edited;
}

} // namespace benchtexts
