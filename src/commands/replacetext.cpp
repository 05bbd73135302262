#include "commands/replacetext.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/bytes.h"

namespace commands {

namespace {

constexpr std::size_t none = std::string_view::npos;

unsigned char byteAt(std::string_view text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]);
}

unsigned char foldCase(unsigned char c)
{
    return c >= 0x41 && c <= 0x5A ? static_cast<unsigned char>(c + 0x20) : c;
}

std::string_view cutAtZero(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

// Tells, byte by byte as a text streams past, whether each byte begins a character. How long a
// character is shows only with its second byte, so a first byte is kept until the next one
// comes; the text it comes from does not matter. A fresh walk takes its first byte as the first
// byte of a character.
class CharacterWalk
{
public:
    bool startsCharacter(unsigned char byte)
    {
        if (m_bytesToCome > 0) {
            --m_bytesToCome;
            return false;
        }
        if (m_firstPending) {
            m_firstPending = false;
            const int32_t length = text::CharacterLength(m_first, byte);
            if (length > 1) {
                m_bytesToCome = length - 2;
                return false;
            }
        }
        m_first = byte;
        m_firstPending = true;
        return true;
    }

private:
    unsigned char m_first = 0;
    bool m_firstPending = false;
    int32_t m_bytesToCome = 0; // bytes of the current character after its second byte
};

// Where a scan stands: how many bytes of the search text end at the latest byte, and where the
// characters stand.
struct ScanState
{
    std::size_t matched = 0;
    CharacterWalk characters;
};

// Appends bytes unless the result would pass limit. Capacity grows geometrically but never past
// the limit, so a runaway replacement stops before it has taken the memory.
bool appendWithin(std::string &output, std::string_view bytes, std::size_t limit)
{
    if (bytes.size() > limit - output.size())
        return false;
    const std::size_t needed = output.size() + bytes.size();
    if (needed > output.capacity())
        output.reserve(std::min(limit, std::max(needed, 2 * output.capacity())));
    output.append(bytes);
    return true;
}

// Finds the occurrences of the search text that count, as the bytes stream past: a
// Knuth-Morris-Pratt automaton over case-folded bytes, walking character boundaries alongside.
// Its state carries from one byte to the next whichever text the bytes come from, so a scan can
// run from the end of an inserted replacement into the original text after it, and the state
// reached at the end of the replacement is worked out once for all passes.
class OccurrenceScanner
{
public:
    OccurrenceScanner(std::string_view original, std::string_view search,
                      std::string_view replacement)
        : m_original(original), m_replacement(replacement), m_pattern(search),
          m_fallback(search.size(), 0), m_startsCharacter(search.size(), 0)
    {
        std::transform(m_pattern.begin(), m_pattern.end(), m_pattern.begin(), [](char c) {
            return static_cast<char>(foldCase(static_cast<unsigned char>(c)));
        });
        std::size_t state = 0;
        for (std::size_t i = 1; i < m_pattern.size(); ++i) {
            while (state > 0 && m_pattern[i] != m_pattern[state])
                state = m_fallback[state - 1];
            if (m_pattern[i] == m_pattern[state])
                ++state;
            m_fallback[i] = state;
        }

        // After a replacement the next search starts on the character after its first one, or
        // on the removed occurrence itself when the replacement is empty. A replacement of two
        // bytes or more decides the length of its first character alone.
        if (replacement.size() >= 2) {
            m_resume = static_cast<std::size_t>(
                text::CharacterLength(byteAt(replacement, 0), byteAt(replacement, 1)));
            if (m_resume < replacement.size())
                scanReplacement();
        }
    }

    // True when an occurrence lies inside the replacement, where each search begins: the search
    // would find it again after every replacement (FindBytes(replacement, search, resume + 1)
    // answers a position).
    bool repeatsForever() const { return m_repeats; }

    // How far past the start of a replacement put in at done (the end of the occurrence it
    // replaces) the next search begins: the length of its first character, which for a
    // replacement of a single byte may take bytes of the original text after it.
    std::size_t resume(std::size_t done) const
    {
        if (m_replacement.size() != 1)
            return m_resume;
        const unsigned char next = done < m_original.size() ? byteAt(m_original, done) : 0;
        return static_cast<std::size_t>(text::CharacterLength(byteAt(m_replacement, 0), next));
    }

    // The scan state at the end of the replacement, searched from resume() on.
    ScanState afterReplacement() const { return m_afterReplacement; }

    // The end of the first occurrence that starts on a character boundary, scanning the original
    // text from position from on in the given state; none if there is none. The occurrence may
    // start up to the search length - 1 bytes before from, in the replacement scanned before
    // from, which then ends right before from.
    std::size_t findEnd(std::size_t from, ScanState state)
    {
        const std::size_t n = m_pattern.size();
        // The ring's slot for byte i is i % n, kept as a counter rather than divided out per byte.
        std::size_t slot = from % n;
        for (std::size_t i = from; i < m_original.size(); ++i) {
            const unsigned char c = byteAt(m_original, i);
            const bool starts = state.characters.startsCharacter(c);
            // Each byte is scanned once, so a slot is only read back while its byte is one of
            // the last n scanned in this pass.
            m_startsCharacter[slot] = starts;
            slot = slot + 1 == n ? 0 : slot + 1; // now (i + 1) % n, the slot of byte i + 1 - n
            state.matched = step(state.matched, c);
            if (state.matched < n)
                continue;
            const std::size_t end = i + 1;
            const bool counts =
                end - from >= n ? m_startsCharacter[slot] != 0
                                : m_replacementStarts[m_replacement.size() - (n - (end - from))];
            if (counts)
                return end;
            state.matched = m_fallback.back();
        }
        return none;
    }

private:
    // The automaton's state after one more byte; the search length when an occurrence ends with
    // it. After an occurrence that does not count the scan goes on from m_fallback.back(), so
    // overlapping ones are still seen.
    std::size_t step(std::size_t state, unsigned char byte) const
    {
        const char c = static_cast<char>(foldCase(byte));
        while (state > 0 && m_pattern[state] != c)
            state = m_fallback[state - 1];
        return m_pattern[state] == c ? state + 1 : 0;
    }

    // The scan through the replacement from where each search begins: which of its bytes start
    // a character and the state the scan reaches at its end. The same for every pass.
    void scanReplacement()
    {
        const std::size_t n = m_pattern.size();
        m_replacementStarts.assign(m_replacement.size(), false);
        ScanState state;
        for (std::size_t i = m_resume; i < m_replacement.size(); ++i) {
            const unsigned char c = byteAt(m_replacement, i);
            const bool starts = state.characters.startsCharacter(c);
            m_replacementStarts[i] = starts;
            state.matched = step(state.matched, c);
            if (state.matched == n) {
                if (m_replacementStarts[i + 1 - n]) {
                    m_repeats = true;
                    return;
                }
                state.matched = m_fallback.back();
            }
        }
        m_afterReplacement = state;
    }

    std::string_view m_original;
    std::string_view m_replacement;
    std::string m_pattern;                        // the search text, case folded
    std::vector<std::size_t> m_fallback;          // the longest proper border of each prefix
    std::vector<unsigned char> m_startsCharacter; // ring over the last bytes scanned
    std::vector<bool> m_replacementStarts;
    std::size_t m_resume = 0; // for a replacement of two bytes or more
    bool m_repeats = false;
    ScanState m_afterReplacement;
};

} // namespace

ReplaceResult replaceAllText(std::string_view text, std::string_view search,
                             std::string_view replacement, std::size_t limitBytes)
{
    search = cutAtZero(search);
    replacement = cutAtZero(replacement);
    const std::string_view original = cutAtZero(text);
    const std::string_view kept = text.substr(original.size());
    if (search.empty() || search.size() > original.size())
        return {ReplaceStatus::NothingFound, {}};

    OccurrenceScanner scanner(original, search, replacement);
    const bool repeats = scanner.repeatsForever();
    const std::size_t n = search.size();

    // Replace the first occurrence, then search again from after the replacement's first
    // character, on the text read as: the output so far, the pending replacement, and the
    // original text from done on. The output only ever grows at its end, so the result is built
    // in one go, and the scan state after the replacement is the same on every pass.
    // This ends: an occurrence found either lies wholly inside the pending replacement, and then
    // every pass finds it again (repeats, handled apart), or it reaches past it, so that each
    // pass leaves fewer bytes of the original text after the last position.
    std::string output;
    output.reserve(std::min(limitBytes, text.size()));
    std::size_t done = 0;
    bool pending = false;
    std::size_t from = 0;
    ScanState state;
    for (;;) {
        const std::size_t end = scanner.findEnd(from, state);
        if (end == none)
            break;
        if (end - done >= n) {
            // The occurrence starts in the original text: the pending replacement and the
            // original bytes up to it are final.
            if ((pending && !appendWithin(output, replacement, limitBytes)) ||
                !appendWithin(output, original.substr(done, end - n - done), limitBytes))
                return {ReplaceStatus::TooLarge, {}};
        } else {
            // It starts inside the pending replacement, whose bytes before it are final.
            const std::size_t inside = replacement.size() - (n - (end - done));
            if (!appendWithin(output, replacement.substr(0, inside), limitBytes))
                return {ReplaceStatus::TooLarge, {}};
        }
        done = end;
        pending = true;
        if (repeats) {
            // Each occurrence once: the next search starts fresh right after this one.
            from = done;
            state = ScanState{};
        } else if (const std::size_t resume = scanner.resume(done); resume >= replacement.size()) {
            // The search starts at or after the end of the replacement (a first character the
            // replacement only begins takes original bytes after it as its others).
            from = done + (resume - replacement.size());
            state = ScanState{};
        } else {
            from = done;
            state = scanner.afterReplacement();
        }
    }
    if (!pending)
        return {ReplaceStatus::NothingFound, {}};
    if (!appendWithin(output, replacement, limitBytes) ||
        !appendWithin(output, original.substr(done), limitBytes) ||
        !appendWithin(output, kept, limitBytes))
        return {ReplaceStatus::TooLarge, {}};
    return {ReplaceStatus::Replaced, std::move(output)};
}

} // namespace commands
