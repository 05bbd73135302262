#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QTest>

#include "text/alignment.h"
#include "text/codepage.h"

namespace {

// The characters of a text, each as its bytes.
std::vector<std::string> characters(std::string_view text)
{
    std::vector<std::string> result;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t width = text::characterWidth(text, at);
        result.emplace_back(text.substr(at, width));
        at += width;
    }
    return result;
}

// One mark per character of the text: '^' where a byte of it lies in one of the ranges.
QString characterMask(std::string_view text, const std::vector<ByteRange> &ranges)
{
    QString mask;
    std::size_t at = 0;
    for (const std::string &character : characters(text)) {
        const bool marked = std::any_of(ranges.begin(), ranges.end(), [&](const ByteRange &r) {
            return std::size_t(r.start) < at + character.size() &&
                   at < std::size_t(r.start) + std::size_t(r.length);
        });
        mask += marked ? u'^' : u'.';
        at += character.size();
    }
    return mask;
}

std::vector<ByteRange> leftRanges(const std::vector<text::AlignedHunk> &hunks)
{
    std::vector<ByteRange> ranges;
    for (const text::AlignedHunk &hunk : hunks)
        ranges.push_back(hunk.left);
    return ranges;
}

std::vector<ByteRange> rightRanges(const std::vector<text::AlignedHunk> &hunks)
{
    std::vector<ByteRange> ranges;
    for (const text::AlignedHunk &hunk : hunks)
        ranges.push_back(hunk.right);
    return ranges;
}

// The characters outside the ranges, in order. The ranges must hold whole characters.
std::vector<std::string> unmarked(std::string_view text, const std::vector<ByteRange> &ranges,
                                  QString &fault)
{
    std::vector<std::string> kept;
    std::size_t at = 0;
    std::size_t next = 0;
    for (const std::string &character : characters(text)) {
        while (next < ranges.size() &&
               std::size_t(ranges[next].start) + std::size_t(ranges[next].length) <= at)
            ++next;
        const bool inside = next < ranges.size() && std::size_t(ranges[next].start) <= at &&
                            ranges[next].length > 0;
        if (inside && at + character.size() > std::size_t(ranges[next].start + ranges[next].length))
            fault = QStringLiteral("a range ends inside a character at %1").arg(at);
        if (!inside)
            kept.push_back(character);
        at += character.size();
    }
    return kept;
}

// Empty when the hunks are a valid alignment of the texts: in order, apart from each other,
// inside the texts, changing something, on character boundaries, and leaving the same
// characters unmarked on both sides.
QString alignmentFault(std::string_view left, std::string_view right,
                       const std::vector<text::AlignedHunk> &hunks)
{
    for (std::size_t i = 0; i < hunks.size(); ++i) {
        const text::AlignedHunk &hunk = hunks[i];
        if (hunk.left.length < 0 || hunk.right.length < 0 ||
            (hunk.left.length == 0 && hunk.right.length == 0))
            return QStringLiteral("hunk %1 changes nothing or has a negative length").arg(i);
        if (std::size_t(hunk.left.start + hunk.left.length) > left.size() ||
            std::size_t(hunk.right.start + hunk.right.length) > right.size())
            return QStringLiteral("hunk %1 lies past the end of a text").arg(i);
        if (i > 0) {
            const text::AlignedHunk &before = hunks[i - 1];
            if (hunk.left.start <= before.left.start + before.left.length ||
                hunk.right.start <= before.right.start + before.right.length)
                return QStringLiteral("hunk %1 touches or precedes the one before it").arg(i);
        }
    }
    QString fault;
    const auto leftKept = unmarked(left, leftRanges(hunks), fault);
    const auto rightKept = unmarked(right, rightRanges(hunks), fault);
    if (!fault.isEmpty())
        return fault;
    if (leftKept != rightKept)
        return QStringLiteral("the unmarked characters differ");
    return {};
}

int markedCharacters(std::string_view text, const std::vector<ByteRange> &ranges)
{
    return int(characterMask(text, ranges).count(u'^'));
}

// The fewest characters a script of deletions and insertions touches, from the longest common
// subsequence of characters, by the textbook table.
int shortestEditScript(std::string_view left, std::string_view right)
{
    const auto a = characters(left);
    const auto b = characters(right);
    std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j)
            common[i][j] = a[i - 1] == b[j - 1] ? common[i - 1][j - 1] + 1
                                                : std::max(common[i - 1][j], common[i][j - 1]);
    return int(a.size() + b.size()) - 2 * common[a.size()][b.size()];
}

std::string gb(const QString &text)
{
    return text::toCodePage(text);
}

// Random texts from a small set of characters of every width, so that common characters,
// line breaks and four-byte characters sharing their first bytes meet often.
class TextGenerator
{
public:
    explicit TextGenerator(unsigned seed) : m_random(seed)
    {
        for (const QString &piece :
             {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("\n"),
              QStringLiteral("中"), QStringLiteral("文"), QStringLiteral("😀"), QStringLiteral("😁"),
              QStringLiteral("한"), QStringLiteral("𠀀")})
            m_pieces.push_back(gb(piece));
    }

    std::string text(int maxCharacters, std::size_t alphabet)
    {
        std::string result;
        const int count = number(0, maxCharacters);
        for (int i = 0; i < count; ++i)
            result +=
                m_pieces[std::size_t(number(0, int(std::min(alphabet, m_pieces.size())) - 1))];
        return result;
    }

    // The text with a few characters inserted, deleted or replaced.
    std::string edited(const std::string &original, int edits)
    {
        auto chars = characters(original);
        for (int e = 0; e < edits; ++e) {
            const int kind = number(0, 2);
            if (kind != 0 && !chars.empty()) {
                const std::size_t at = std::size_t(number(0, int(chars.size()) - 1));
                if (kind == 1)
                    chars.erase(chars.begin() + std::ptrdiff_t(at));
                else
                    chars[at] = m_pieces[std::size_t(number(0, int(m_pieces.size()) - 1))];
            } else {
                const std::size_t at = std::size_t(number(0, int(chars.size())));
                chars.insert(chars.begin() + std::ptrdiff_t(at),
                             m_pieces[std::size_t(number(0, int(m_pieces.size()) - 1))]);
            }
        }
        std::string result;
        for (const std::string &c : chars)
            result += c;
        return result;
    }

    int number(int from, int to) { return std::uniform_int_distribution<int>(from, to)(m_random); }

private:
    std::mt19937 m_random;
    std::vector<std::string> m_pieces;
};

} // namespace

class AlignmentTest : public QObject
{
    Q_OBJECT

private slots:
    void marksWhatChanged_data();
    void marksWhatChanged();
    void hunksPairTheChangedBytes_data();
    void hunksPairTheChangedBytes();
    void textEndsAtZeroByte();
    void characterWidthFollowsLeadAndSecondByte_data();
    void characterWidthFollowsLeadAndSecondByte();
    void randomTextsGetAShortestValidScript();
    void readableAlignmentStaysValid();
    void overTheCostLimitStaysValid();
    void longEditedLinesKeepTheirCommonParts();
    void unrelatedLongTextsAreMarkedWhole();
};

void AlignmentTest::marksWhatChanged_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("cleanup");
    QTest::addColumn<QString>("leftMask");
    QTest::addColumn<QString>("rightMask");

    const auto row = [](const char *name, const QString &left, const QString &right,
                        const QString &leftMask, const QString &rightMask, bool cleanup = true) {
        QTest::newRow(name) << left << right << cleanup << leftMask << rightMask;
    };
    row("both empty", "", "", "", "");
    row("identical", "abc\n中文", "abc\n中文", "......", "......");
    row("left empty", "", "abc", "", "^^^");
    row("right empty", "abc", "", "^^^", "");
    row("insert at start", "bcd", "abcd", "...", "^...");
    row("insert in middle", "abd", "abcd", "...", "..^.");
    row("insert at end", "abc", "abcd", "...", "...^");
    row("delete at start", "abcd", "bcd", "^...", "...");
    row("delete in middle", "abcd", "abd", "..^.", "...");
    row("delete at end", "abcd", "abc", "...^", "...");
    row("replace at start", "xbcd", "ybcd", "^...", "^...");
    row("replace in middle", "abxd", "abyd", "..^.", "..^.");
    row("replace at end", "abcx", "abcy", "...^", "...^");
    row("chinese replaced", "我爱北京", "我爱南京", "..^.", "..^.");
    row("chinese inserted", "我北京", "我爱北京", "...", ".^..");
    // The two emoji share their first three bytes: the whole character is marked, once.
    row("four-byte sharing bytes", "a😀b", "a😁b", ".^.", ".^.");
    row("korean inserted", "한국", "한국어", "..", "..^");
    row("rare han deleted", "a𠀀b", "ab", ".^.", "..");
    row("line inserted", "one\nthree\n", "one\ntwo\nthree\n", "..........", "....^^^^......");
    row("line deleted", "one\ntwo\nthree\n", "one\nthree\n", "....^^^^......", "..........");
    row("line break replaced", "ab\ncd", "ab cd", "..^..", "..^..");
    row("inside a changed line", "first\nsecond line\nlast\n", "first\nsecond lime\nlast\n",
        "...............^.......", "...............^.......");
    // A single common character between two rewritten stretches is folded into the change.
    row("scattered common character folded", "abcXdef", "ghiXjkl", "^^^^^^^", "^^^^^^^");
    row("scattered common character kept without clean-up", "abcXdef", "ghiXjkl", "^^^.^^^",
        "^^^.^^^", false);
    row("longer common run kept", "abcXXXXdef", "ghiXXXXjkl", "^^^....^^^", "^^^....^^^");
}

void AlignmentTest::marksWhatChanged()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, cleanup);
    QFETCH(QString, leftMask);
    QFETCH(QString, rightMask);

    const std::string a = gb(left);
    const std::string b = gb(right);
    text::AlignmentOptions options;
    options.semanticCleanup = cleanup;
    const auto hunks = text::alignTexts(a, b, options);
    QCOMPARE(alignmentFault(a, b, hunks), QString());
    QCOMPARE(characterMask(a, leftRanges(hunks)), leftMask);
    QCOMPARE(characterMask(b, rightRanges(hunks)), rightMask);
}

void AlignmentTest::hunksPairTheChangedBytes_data()
{
    QTest::addColumn<QByteArray>("left");
    QTest::addColumn<QByteArray>("right");
    QTest::addColumn<QList<int>>("expected"); // left start, length, right start, length, ...

    QTest::newRow("identical") << QByteArray("same") << QByteArray("same") << QList<int>{};
    QTest::newRow("insertion sits where it goes")
        << QByteArray("abef") << QByteArray("abcdef") << QList<int>{2, 0, 2, 2};
    QTest::newRow("deletion sits where it went")
        << QByteArray("abcdef") << QByteArray("abef") << QList<int>{2, 2, 2, 0};
    QTest::newRow("two changes, two hunks") << QByteArray("xbcdefghiy") << QByteArray("zbcdefghiww")
                                            << QList<int>{0, 1, 0, 1, 9, 1, 9, 2};
    // 中 is two bytes in the code page, 😀 four.
    QTest::newRow("byte ranges of wide characters")
        << QByteArray(gb("中a😀b").c_str()) << QByteArray(gb("中a文b").c_str())
        << QList<int>{3, 4, 3, 2};
}

void AlignmentTest::hunksPairTheChangedBytes()
{
    QFETCH(QByteArray, left);
    QFETCH(QByteArray, right);
    QFETCH(QList<int>, expected);

    QList<int> actual;
    for (const text::AlignedHunk &hunk : text::alignTexts(left.toStdString(), right.toStdString()))
        actual << hunk.left.start << hunk.left.length << hunk.right.start << hunk.right.length;
    QCOMPARE(actual, expected);
}

void AlignmentTest::textEndsAtZeroByte()
{
    const std::string left("abc\0xyz", 7);
    const std::string right("abc\0qqq", 7);
    QVERIFY(text::alignTexts(left, right).empty());
    const auto hunks = text::alignTexts(std::string("ab\0c", 4), std::string("abd"));
    QCOMPARE(hunks.size(), std::size_t(1));
    QCOMPARE(hunks[0].left, (ByteRange{2, 0}));
    QCOMPARE(hunks[0].right, (ByteRange{2, 1}));
}

void AlignmentTest::characterWidthFollowsLeadAndSecondByte_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("width");

    QTest::newRow("ascii") << QByteArray("ab") << 0 << 1;
    QTest::newRow("line break") << QByteArray("\n") << 0 << 1;
    QTest::newRow("two-byte") << QByteArray("\xD6\xD0x") << 0 << 2;
    QTest::newRow("lead 0x80 takes two") << QByteArray("\x80\x41") << 0 << 2;
    QTest::newRow("lead 0xFF takes two") << QByteArray("\xFF\x41") << 0 << 2;
    QTest::newRow("four-byte") << QByteArray("\x94\x39\xFC\x38") << 0 << 4;
    QTest::newRow("0x80 with digit is two") << QByteArray("\x80\x35\x81\x30") << 0 << 2;
    QTest::newRow("0xFF with digit is two") << QByteArray("\xFF\x35\x81\x30") << 0 << 2;
    QTest::newRow("lead at the end") << QByteArray("a\xD6") << 1 << 1;
    QTest::newRow("four-byte cut after three") << QByteArray("\x94\x39\xFC") << 0 << 3;
    QTest::newRow("two-byte swallows a line break") << QByteArray("\xD6\n") << 0 << 2;
}

void AlignmentTest::characterWidthFollowsLeadAndSecondByte()
{
    QFETCH(QByteArray, text);
    QFETCH(int, offset);
    QFETCH(int, width);
    QCOMPARE(int(text::characterWidth(std::string_view(text.constData(), std::size_t(text.size())),
                                      std::size_t(offset))),
             width);
}

void AlignmentTest::randomTextsGetAShortestValidScript()
{
    // Every character aligned at once, no clean-up: the marks are a shortest edit script.
    text::AlignmentOptions options;
    options.linesFirst = false;
    options.semanticCleanup = false;
    TextGenerator generator(15);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t alphabet = std::size_t(generator.number(2, 10));
        const std::string left = generator.text(14, alphabet);
        const std::string right = round % 2 ? generator.text(14, alphabet)
                                            : generator.edited(left, generator.number(1, 4));
        const auto hunks = text::alignTexts(left, right, options);
        const QString context = QStringLiteral("round %1: %2 / %3")
                                    .arg(round)
                                    .arg(text::fromCodePage(left), text::fromCodePage(right));
        QVERIFY2(alignmentFault(left, right, hunks).isEmpty(), qPrintable(context));
        const int marks =
            markedCharacters(left, leftRanges(hunks)) + markedCharacters(right, rightRanges(hunks));
        QVERIFY2(marks == shortestEditScript(left, right), qPrintable(context));
    }
}

void AlignmentTest::readableAlignmentStaysValid()
{
    // Lines first and the clean-up trade a few extra marks for readability, never validity.
    TextGenerator generator(16);
    for (int round = 0; round < 3000; ++round) {
        const std::string left = generator.text(30, 10);
        const std::string right =
            round % 2 ? generator.text(30, 10) : generator.edited(left, generator.number(1, 6));
        const auto hunks = text::alignTexts(left, right);
        const QString context = QStringLiteral("round %1: %2 / %3")
                                    .arg(round)
                                    .arg(text::fromCodePage(left), text::fromCodePage(right));
        QVERIFY2(alignmentFault(left, right, hunks).isEmpty(), qPrintable(context));
        const int marks =
            markedCharacters(left, leftRanges(hunks)) + markedCharacters(right, rightRanges(hunks));
        QVERIFY2(marks >= shortestEditScript(left, right), qPrintable(context));
    }
}

void AlignmentTest::overTheCostLimitStaysValid()
{
    // Tiny limits send nearly every stretch to the anchors and the whole-stretch marking.
    TextGenerator generator(17);
    for (int round = 0; round < 3000; ++round) {
        text::AlignmentOptions options;
        options.costLimit = generator.number(0, 3);
        options.linesFirst = round % 3 != 0;
        options.semanticCleanup = round % 2 != 0;
        const std::string left = generator.text(40, 10);
        const std::string right =
            round % 4 ? generator.edited(left, generator.number(1, 12)) : generator.text(40, 10);
        const auto hunks = text::alignTexts(left, right, options);
        QVERIFY2(alignmentFault(left, right, hunks).isEmpty(),
                 qPrintable(QStringLiteral("round %1: %2 / %3")
                                .arg(round)
                                .arg(text::fromCodePage(left), text::fromCodePage(right))));
    }
}

void AlignmentTest::longEditedLinesKeepTheirCommonParts()
{
    // A long unbroken line with a few edits is cut into pieces by content, so most of it is
    // matched even though the edits are far more than the cost limit allows at once.
    std::mt19937 random(18);
    std::string left;
    for (int i = 0; i < 200000; ++i)
        left += char('a' + std::uniform_int_distribution<int>(0, 25)(random));
    std::string right = left;
    int edits = 0;
    for (std::size_t at = 500; at < right.size(); at += 997, ++edits)
        right[at] = right[at] == 'z' ? 'a' : char(right[at] + 1);
    text::AlignmentOptions options;
    options.costLimit = 64;
    const auto hunks = text::alignTexts(left, right, options);
    QCOMPARE(alignmentFault(left, right, hunks), QString());
    QCOMPARE(int(hunks.size()), edits);
    for (const text::AlignedHunk &hunk : hunks) {
        QCOMPARE(hunk.left.length, 1);
        QCOMPARE(hunk.right.length, 1);
    }
}

void AlignmentTest::unrelatedLongTextsAreMarkedWhole()
{
    // Texts with nothing in common beyond scattered letters: the search gives up within its
    // limit and marks both whole instead of threading through single letters.
    std::mt19937 random(19);
    std::string left;
    std::string right;
    for (int i = 0; i < 20000; ++i) {
        left += char('a' + std::uniform_int_distribution<int>(0, 12)(random));
        right += char('n' + std::uniform_int_distribution<int>(0, 12)(random));
        if (i % 50 == 49 && i + 1 < 20000) {
            left += ' ';
            right += ' ';
        }
    }
    const auto hunks = text::alignTexts(left, right);
    QCOMPARE(alignmentFault(left, right, hunks), QString());
    QCOMPARE(markedCharacters(left, leftRanges(hunks)), int(left.size()));
    QCOMPARE(markedCharacters(right, rightRanges(hunks)), int(right.size()));
}

QTEST_APPLESS_MAIN(AlignmentTest)
#include "tst_alignment.moc"
