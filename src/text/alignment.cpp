#include "text/alignment.h"

#include <algorithm>
#include <span>
#include <unordered_map>

namespace text {

std::size_t characterWidth(std::string_view text, std::size_t offset)
{
    const std::size_t remaining = text.size() - offset;
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byteAt(offset);
    if (lead < 0x80)
        return 1;
    std::size_t width = 2;
    if (lead >= 0x81 && lead <= 0xFE && remaining >= 2 && byteAt(offset + 1) >= 0x30 &&
        byteAt(offset + 1) <= 0x39)
        width = 4;
    return std::min(width, remaining);
}

namespace {

// A token is a character (its bytes packed into one number, so that different characters,
// cut-off ones included, get different numbers) or the number of a line or piece of a line.
using Token = uint32_t;

Token characterCode(std::string_view text, std::size_t offset, std::size_t width)
{
    Token code = 0;
    for (std::size_t i = 0; i < width; ++i)
        code = (code << 8) | static_cast<unsigned char>(text[offset + i]);
    return code;
}

// The byte count of a character from its code: a lead byte of a longer character is never
// below 0x80, so the code's size tells the width.
int32_t codeWidth(Token code)
{
    if (code < 0x100)
        return 1;
    if (code < 0x10000)
        return 2;
    return code < 0x1000000 ? 3 : 4;
}

std::string_view upToZero(std::string_view text)
{
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

// A run of tokens both sequences share: a[a, a + length) equals b[b, b + length).
struct Block
{
    int32_t a = 0;
    int32_t b = 0;
    int32_t length = 0;
};

// What the search may still spend, in steps of the edit search and tokens scanned for
// anchors, for the whole alignment; once it is spent, stretches are only trimmed of their
// common start and end and marked whole.
using Budget = int64_t;

// Myers' O(ND) difference algorithm in linear space (the middle snake splits a stretch in
// two, each half is solved the same way), bounded by a cost limit. Stretches beyond the limit
// are split at tokens that occur exactly once in each of them (patience anchors, kept where
// they are in increasing order in both); a stretch without any is left unmatched.
class Differ
{
public:
    Differ(std::span<const Token> a, std::span<const Token> b, int32_t costLimit, Budget &budget)
        : m_a(a), m_b(b), m_halfLimit(std::max(1, (costLimit + 1) / 2)), m_budget(budget)
    {
    }

    // The shared runs, in order, each as long as it can be.
    std::vector<Block> sharedBlocks()
    {
        std::vector<Block> blocks;
        std::vector<Task> tasks{{0, int32_t(m_a.size()), 0, int32_t(m_b.size()), false}};
        while (!tasks.empty()) {
            const Task task = tasks.back();
            tasks.pop_back();
            if (task.isBlock)
                addBlock(blocks, {task.a0, task.b0, task.a1 - task.a0});
            else
                solve(task, tasks, blocks);
        }
        return blocks;
    }

private:
    // A stretch a[a0, a1) against b[b0, b1) still to solve, or a shared run found on the way
    // (isBlock: the run a[a0, a1) at b0) that comes in order after the tasks above it.
    struct Task
    {
        int32_t a0, a1, b0, b1;
        bool isBlock;
    };

    static void addBlock(std::vector<Block> &blocks, Block block)
    {
        if (block.length <= 0)
            return;
        if (!blocks.empty()) {
            Block &last = blocks.back();
            if (last.a + last.length == block.a && last.b + last.length == block.b) {
                last.length += block.length;
                return;
            }
        }
        blocks.push_back(block);
    }

    // Trims the common start (added now, as it comes next in order) and end (added as a task,
    // to come after the middle); then splits what is left.
    void solve(Task task, std::vector<Task> &tasks, std::vector<Block> &blocks)
    {
        int32_t prefix = 0;
        while (task.a0 + prefix < task.a1 && task.b0 + prefix < task.b1 &&
               m_a[task.a0 + prefix] == m_b[task.b0 + prefix])
            ++prefix;
        addBlock(blocks, {task.a0, task.b0, prefix});
        task.a0 += prefix;
        task.b0 += prefix;
        int32_t suffix = 0;
        while (task.a0 < task.a1 - suffix && task.b0 < task.b1 - suffix &&
               m_a[task.a1 - 1 - suffix] == m_b[task.b1 - 1 - suffix])
            ++suffix;
        m_budget -= prefix + suffix;
        if (suffix > 0) {
            tasks.push_back({task.a1 - suffix, task.a1, task.b1 - suffix, 0, true});
            task.a1 -= suffix;
            task.b1 -= suffix;
        }
        if (task.a0 == task.a1 || task.b0 == task.b1 || m_budget <= 0)
            return;

        int32_t x = 0;
        int32_t y = 0;
        const bool splitsInTwo = middleSnake(task, x, y) && (x > 0 || y > 0) &&
                                 (task.a0 + x < task.a1 || task.b0 + y < task.b1);
        if (splitsInTwo) {
            tasks.push_back({task.a0 + x, task.a1, task.b0 + y, task.b1, false});
            tasks.push_back({task.a0, task.a0 + x, task.b0, task.b0 + y, false});
            return;
        }
        splitAtAnchors(task, tasks);
    }

    // Searches forward from the start and backward from the end, one edit more each round,
    // until the paths overlap; answers the point where the forward path ends. False when the
    // stretch needs more edits than the limit allows or the budget runs out.
    bool middleSnake(const Task &task, int32_t &splitA, int32_t &splitB)
    {
        const int32_t n = task.a1 - task.a0;
        const int32_t m = task.b1 - task.b0;
        const int32_t maxD = int32_t(std::min<int64_t>((int64_t(n) + m + 1) / 2, m_halfLimit));
        const int32_t offset = maxD + 1;
        const int32_t length = 2 * maxD + 3;
        m_forward.assign(std::size_t(length), -1);
        m_backward.assign(std::size_t(length), -1);
        m_forward[offset + 1] = 0;
        m_backward[offset + 1] = 0;
        const int32_t delta = n - m;
        // With an odd difference of lengths the paths meet on a forward step, else on a
        // backward one.
        const bool meetForward = (delta & 1) != 0;
        const Token *a = m_a.data() + task.a0;
        const Token *b = m_b.data() + task.b0;
        // Diagonals whose path has left the grid are not searched again.
        int32_t k1start = 0, k1end = 0, k2start = 0, k2end = 0;
        for (int32_t d = 0; d <= maxD; ++d) {
            if (m_budget <= 0)
                return false;
            for (int32_t k1 = -d + k1start; k1 <= d - k1end; k1 += 2) {
                const int32_t i1 = offset + k1;
                int32_t x1 = (k1 == -d || (k1 != d && m_forward[i1 - 1] < m_forward[i1 + 1]))
                                 ? m_forward[i1 + 1]
                                 : m_forward[i1 - 1] + 1;
                int32_t y1 = x1 - k1;
                const int32_t from = x1;
                while (x1 < n && y1 < m && a[x1] == b[y1]) {
                    ++x1;
                    ++y1;
                }
                m_budget -= 1 + (x1 - from);
                m_forward[i1] = x1;
                if (x1 > n) {
                    k1end += 2;
                } else if (y1 > m) {
                    k1start += 2;
                } else if (meetForward) {
                    const int32_t i2 = offset + delta - k1;
                    if (i2 >= 0 && i2 < length && m_backward[i2] != -1 &&
                        x1 >= n - m_backward[i2]) {
                        splitA = x1;
                        splitB = y1;
                        return true;
                    }
                }
            }
            for (int32_t k2 = -d + k2start; k2 <= d - k2end; k2 += 2) {
                const int32_t i2 = offset + k2;
                int32_t x2 = (k2 == -d || (k2 != d && m_backward[i2 - 1] < m_backward[i2 + 1]))
                                 ? m_backward[i2 + 1]
                                 : m_backward[i2 - 1] + 1;
                int32_t y2 = x2 - k2;
                const int32_t from = x2;
                while (x2 < n && y2 < m && a[n - x2 - 1] == b[m - y2 - 1]) {
                    ++x2;
                    ++y2;
                }
                m_budget -= 1 + (x2 - from);
                m_backward[i2] = x2;
                if (x2 > n) {
                    k2end += 2;
                } else if (y2 > m) {
                    k2start += 2;
                } else if (!meetForward) {
                    const int32_t i1 = offset + delta - k2;
                    if (i1 >= 0 && i1 < length && m_forward[i1] != -1) {
                        const int32_t x1 = m_forward[i1];
                        const int32_t y1 = offset + x1 - i1;
                        if (x1 >= n - x2) {
                            splitA = x1;
                            splitB = y1;
                            return true;
                        }
                    }
                }
            }
        }
        return false;
    }

    // Matches the tokens that occur once in each side, keeps the longest chain of them that
    // runs forward in both (patience sorting) and solves the stretches between them.
    void splitAtAnchors(const Task &task, std::vector<Task> &tasks)
    {
        struct Occurrence
        {
            int32_t inA = 0;
            int32_t inB = 0;
            int32_t atB = 0;
        };
        m_budget -= int64_t(task.a1 - task.a0) + (task.b1 - task.b0);
        std::unordered_map<Token, Occurrence> seen;
        // Few distinct tokens are the rule for characters; lines grow the table as they come.
        seen.reserve(std::min<std::size_t>(std::size_t(task.a1 - task.a0), 1 << 16));
        for (int32_t i = task.a0; i < task.a1; ++i)
            ++seen[m_a[i]].inA;
        for (int32_t j = task.b0; j < task.b1; ++j) {
            const auto it = seen.find(m_b[j]);
            if (it != seen.end() && it->second.inA == 1) {
                ++it->second.inB;
                it->second.atB = j;
            }
        }
        // Candidates in the order of a; the chain must rise in b too.
        std::vector<Block> candidates;
        for (int32_t i = task.a0; i < task.a1; ++i) {
            const Occurrence &occurrence = seen.at(m_a[i]);
            if (occurrence.inA == 1 && occurrence.inB == 1)
                candidates.push_back({i, occurrence.atB, 1});
        }
        if (candidates.empty())
            return;
        // tails[l]: the candidate ending the best chain of length l + 1 found so far.
        std::vector<int32_t> tails;
        std::vector<int32_t> previous(candidates.size(), -1);
        for (int32_t c = 0; c < int32_t(candidates.size()); ++c) {
            const auto at =
                std::lower_bound(tails.begin(), tails.end(), candidates[c].b,
                                 [&](int32_t tail, int32_t b) { return candidates[tail].b < b; });
            if (at != tails.begin())
                previous[c] = *(at - 1);
            if (at == tails.end())
                tails.push_back(c);
            else
                *at = c;
        }
        // From the last anchor back: the stretch after it, then the anchor itself.
        int32_t a1 = task.a1;
        int32_t b1 = task.b1;
        for (int32_t c = tails.back(); c != -1; c = previous[c]) {
            const Block &anchor = candidates[c];
            tasks.push_back({anchor.a + 1, a1, anchor.b + 1, b1, false});
            tasks.push_back({anchor.a, anchor.a + 1, anchor.b, 0, true});
            a1 = anchor.a;
            b1 = anchor.b;
        }
        tasks.push_back({task.a0, a1, task.b0, b1, false});
    }

    std::span<const Token> m_a;
    std::span<const Token> m_b;
    int32_t m_halfLimit;
    Budget &m_budget;
    std::vector<int32_t> m_forward;
    std::vector<int32_t> m_backward;
};

// Folds an unchanged run into the changes around it when it is no longer than the larger side
// of the change before it and no longer than that of the change after it (the rule of
// Fraser's semantic clean-up). Dropping a run joins its neighbours' changes, so the run
// before it is looked at again. n and m are the lengths of the two sequences.
std::vector<Block> cleanUpSemantically(const std::vector<Block> &blocks, int32_t n, int32_t m)
{
    std::vector<Block> kept;
    kept.reserve(blocks.size());
    const auto change = [](int32_t aFrom, int32_t bFrom, int32_t aTo, int32_t bTo) {
        return std::max(aTo - aFrom, bTo - bFrom);
    };
    for (std::size_t i = 0; i <= blocks.size(); ++i) {
        const Block next = i < blocks.size() ? blocks[i] : Block{n, m, 0};
        while (!kept.empty()) {
            const Block &top = kept.back();
            const Block before = kept.size() >= 2 ? kept[kept.size() - 2] : Block{};
            const int32_t changeBefore =
                change(before.a + before.length, before.b + before.length, top.a, top.b);
            const int32_t changeAfter =
                change(top.a + top.length, top.b + top.length, next.a, next.b);
            if (top.length > changeBefore || top.length > changeAfter)
                break;
            kept.pop_back();
        }
        if (next.length > 0)
            kept.push_back(next);
    }
    return kept;
}

// The code-page characters of a text as tokens.
std::vector<Token> characterCodes(std::string_view text)
{
    std::vector<Token> codes;
    codes.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t width = characterWidth(text, at);
        codes.push_back(characterCode(text, at, width));
        at += width;
    }
    return codes;
}

// Lines up to this many characters stay whole; longer ones are cut into pieces.
constexpr int32_t kLongLine = 256;
// A piece ends where the hash of its last four characters has its low bits clear, so that
// the same content is cut the same way in both texts whatever precedes it; a piece has at
// least kShortestPiece characters and at most kLongestPiece.
constexpr int32_t kShortestPiece = 16;
constexpr int32_t kLongestPiece = 4096;
constexpr uint32_t kPieceMask = 31;

// The byte offsets where the text's lines end (after the line break) and where the pieces of
// its long lines end.
std::vector<int32_t> segmentEnds(std::string_view text)
{
    std::vector<int32_t> ends;
    std::size_t at = 0;
    while (at < text.size()) {
        // The line's characters, up to and including its break.
        std::size_t end = at;
        int32_t characters = 0;
        while (end < text.size()) {
            const std::size_t width = characterWidth(text, end);
            ++characters;
            end += width;
            if (width == 1 && text[end - 1] == '\n')
                break;
        }
        if (characters > kLongLine) {
            uint32_t window[4] = {0, 0, 0, 0};
            int32_t piece = 0;
            for (std::size_t i = at; i < end;) {
                const std::size_t width = characterWidth(text, i);
                window[0] = window[1];
                window[1] = window[2];
                window[2] = window[3];
                window[3] = characterCode(text, i, width);
                i += width;
                ++piece;
                const uint32_t hash = ((window[0] * 0x9E3779B1u) ^ (window[1] * 0x85EBCA77u) ^
                                       (window[2] * 0xC2B2AE3Du) ^ (window[3] * 0x27D4EB2Fu)) >>
                                      16;
                if ((piece >= kShortestPiece && (hash & kPieceMask) == 0) ||
                    piece >= kLongestPiece) {
                    ends.push_back(int32_t(i));
                    piece = 0;
                }
            }
            if (ends.empty() || std::size_t(ends.back()) != end)
                ends.push_back(int32_t(end));
        } else {
            ends.push_back(int32_t(end));
        }
        at = end;
    }
    return ends;
}

class Aligner
{
public:
    Aligner(std::string_view left, std::string_view right, const AlignmentOptions &options)
        : m_left(left), m_right(right), m_options(options),
          // Enough for every ordinary edit, with room to spare; bounded in the texts' length.
          m_budget(Budget(64) * (int64_t(left.size()) + int64_t(right.size())) + (Budget(1) << 24))
    {
    }

    std::vector<AlignedHunk> hunks()
    {
        if (!m_options.linesFirst) {
            alignCharacters(0, int32_t(m_left.size()), 0, int32_t(m_right.size()));
            return std::move(m_hunks);
        }
        const std::vector<int32_t> leftEnds = segmentEnds(m_left);
        const std::vector<int32_t> rightEnds = segmentEnds(m_right);
        std::vector<Token> leftSegments;
        std::vector<Token> rightSegments;
        {
            std::unordered_map<std::string_view, Token> numbers;
            numbers.reserve(leftEnds.size() + rightEnds.size());
            const auto number = [&numbers](std::string_view text, const std::vector<int32_t> &ends,
                                           std::vector<Token> &tokens) {
                tokens.reserve(ends.size());
                int32_t start = 0;
                for (int32_t end : ends) {
                    const auto [it, added] = numbers.try_emplace(
                        text.substr(std::size_t(start), std::size_t(end - start)),
                        Token(numbers.size()));
                    tokens.push_back(it->second);
                    start = end;
                }
            };
            number(m_left, leftEnds, leftSegments);
            number(m_right, rightEnds, rightSegments);
        }
        const std::vector<Block> shared =
            Differ(leftSegments, rightSegments, m_options.costLimit, m_budget).sharedBlocks();

        const auto startOf = [](const std::vector<int32_t> &ends, int32_t segment) {
            return segment == 0 ? 0 : ends[std::size_t(segment - 1)];
        };
        int32_t a = 0;
        int32_t b = 0;
        for (std::size_t i = 0; i <= shared.size(); ++i) {
            const Block next = i < shared.size()
                                   ? shared[i]
                                   : Block{int32_t(leftEnds.size()), int32_t(rightEnds.size()), 0};
            if (a < next.a || b < next.b)
                alignCharacters(startOf(leftEnds, a), startOf(leftEnds, next.a),
                                startOf(rightEnds, b), startOf(rightEnds, next.b));
            a = next.a + next.length;
            b = next.b + next.length;
        }
        return std::move(m_hunks);
    }

private:
    // Aligns the characters of left[leftFrom, leftTo) with right[rightFrom, rightTo) and adds
    // the changed stretches.
    void alignCharacters(int32_t leftFrom, int32_t leftTo, int32_t rightFrom, int32_t rightTo)
    {
        if (leftFrom == leftTo || rightFrom == rightTo) {
            addHunk({{leftFrom, leftTo - leftFrom}, {rightFrom, rightTo - rightFrom}});
            return;
        }
        const std::vector<Token> a =
            characterCodes(m_left.substr(std::size_t(leftFrom), std::size_t(leftTo - leftFrom)));
        const std::vector<Token> b = characterCodes(
            m_right.substr(std::size_t(rightFrom), std::size_t(rightTo - rightFrom)));
        std::vector<Block> shared = Differ(a, b, m_options.costLimit, m_budget).sharedBlocks();
        if (m_options.semanticCleanup)
            shared = cleanUpSemantically(shared, int32_t(a.size()), int32_t(b.size()));

        // Walks both stretches character by character, turning character counts into bytes.
        int32_t i = 0, j = 0;
        int32_t leftAt = leftFrom, rightAt = rightFrom;
        const auto advance = [](const std::vector<Token> &codes, int32_t &index, int32_t to,
                                int32_t &byte) {
            for (; index < to; ++index)
                byte += codeWidth(codes[std::size_t(index)]);
        };
        for (std::size_t s = 0; s <= shared.size(); ++s) {
            const Block next =
                s < shared.size() ? shared[s] : Block{int32_t(a.size()), int32_t(b.size()), 0};
            const int32_t leftStart = leftAt;
            const int32_t rightStart = rightAt;
            advance(a, i, next.a, leftAt);
            advance(b, j, next.b, rightAt);
            if (leftAt > leftStart || rightAt > rightStart)
                addHunk({{leftStart, leftAt - leftStart}, {rightStart, rightAt - rightStart}});
            advance(a, i, next.a + next.length, leftAt);
            advance(b, j, next.b + next.length, rightAt);
        }
    }

    void addHunk(const AlignedHunk &hunk)
    {
        if (hunk.left.length == 0 && hunk.right.length == 0)
            return;
        m_hunks.push_back(hunk);
    }

    std::string_view m_left;
    std::string_view m_right;
    const AlignmentOptions &m_options;
    Budget m_budget;
    std::vector<AlignedHunk> m_hunks;
};

} // namespace

std::vector<AlignedHunk> alignTexts(std::string_view left, std::string_view right,
                                    const AlignmentOptions &options)
{
    return Aligner(upToZero(left), upToZero(right), options).hunks();
}

} // namespace text
