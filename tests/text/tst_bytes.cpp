#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QString>
#include <QTest>

#include "bytesreference.h"
#include "charactertexts.h"
#include "text/bytes.h"
#include "text/codepage.h"

namespace {

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray bytesOf(const std::string &text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QString hex(std::string_view text)
{
    return QString::fromLatin1(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())).toHex(' '));
}

constexpr int32_t minInt = std::numeric_limits<int32_t>::min();
constexpr int32_t maxInt = std::numeric_limits<int32_t>::max();

// Random byte texts for comparing the routines with their literal versions. Most bytes come
// from a small alphabet where case folding, first bytes of two-byte characters, embedded zeros
// and full-width forms meet often; now and then any byte.
class TextGenerator
{
public:
    explicit TextGenerator(std::string_view letters) : m_alphabet(letters) {}

    std::string text(int maxLength)
    {
        std::string result;
        const int length = number(0, maxLength);
        for (int i = 0; i < length; ++i) {
            if (number(0, 9) == 0)
                result.push_back(static_cast<char>(number(0, 255)));
            else
                result.push_back(m_alphabet[static_cast<std::size_t>(
                    number(0, static_cast<int>(m_alphabet.size()) - 1))]);
        }
        return result;
    }

    // A search text: often a piece of the searched text, so that matches are common.
    std::string searchIn(const std::string &haystack)
    {
        if (haystack.empty() || number(0, 2) == 0)
            return text(4);
        const int from = number(0, static_cast<int>(haystack.size()) - 1);
        const int length = number(0, static_cast<int>(haystack.size()) - from);
        return haystack.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(length));
    }

    int number(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }

private:
    std::string_view m_alphabet;
    std::mt19937 m_random{20240611};
};

// 'a', 'A', 'b', 'B', a first byte, the byte both of 'A' and of a second byte, a zero, the
// full-width row A3, the ideographic space row A1, and digits, which after a first byte make it
// the first byte of a four-byte character.
constexpr char byteAlphabet[] = "aAbBaA\xB0\xB0\x41\x61\0\xA3\xB1\xA1 .z13";
// Digits, points, markers, signs, white space, and the full-width forms of some of them.
constexpr char numberAlphabet[] =
    "0123456789012345..eEdD+-+- \t\n\x0Bx\xA3\xB1\xB5\xAE\xAD\xE5\xA1";

template <std::size_t size> constexpr std::string_view alphabet(const char (&bytes)[size])
{
    return {bytes, size}; // the terminating zero is one of the letters
}

} // namespace

class TestBytes : public QObject
{
    Q_OBJECT

private slots:
    void characterLength_data();
    void characterLength();
    void byteLength_data();
    void byteLength();
    void findBytes_data();
    void findBytes();
    void midBytes_data();
    void midBytes();
    void replaceBytes_data();
    void replaceBytes();
    void compareBytes_data();
    void compareBytes();
    void foldFullWidth_data();
    void foldFullWidth();
    void parseNumber_data();
    void parseNumber();
    void parseNumberIgnoresTheLocale();
    void defaultViewIsTheEmptyText_data();
    void defaultViewIsTheEmptyText();

    void findAgreesWithStepByStepSearch();
    void cuttingRoutinesAgreeWithStepByStepVersions();
    void parseNumberAgreesWithStepByStepReading();
    void findAnswersOnlyCharacterStarts();
};

void TestBytes::characterLength_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("expected");

    QTest::newRow("ascii") << QByteArray("a") << 0 << 1;
    QTest::newRow("digit") << QByteArray("1") << 0 << 1;
    QTest::newRow("7F") << QByteArray("\x7F\x30") << 0 << 1;
    QTest::newRow("two-byte character") << QByteArray("\xD6\xD0") << 0 << 2;
    QTest::newRow("letter as second byte") << QByteArray("\x81\x41") << 0 << 2;
    QTest::newRow("emoji") << QByteArray("\x94\x39\xFC\x36") << 0 << 4;
    QTest::newRow("lowest four-byte first and second") << QByteArray("\x81\x30") << 0 << 4;
    QTest::newRow("highest four-byte first and second") << QByteArray("\xFE\x39") << 0 << 4;
    QTest::newRow("80 begins no four-byte character") << QByteArray("\x80\x30") << 0 << 2;
    QTest::newRow("FF begins no four-byte character") << QByteArray("\xFF\x39") << 0 << 2;
    QTest::newRow("second byte below the digits") << QByteArray("\x81\x2F") << 0 << 2;
    QTest::newRow("second byte above the digits") << QByteArray("\x81\x3A") << 0 << 2;
    QTest::newRow("first byte at the end") << QByteArray("a\x81") << 1 << 2;
    QTest::newRow("offset inside the text") << QByteArray("ab\xA0\x35") << 2 << 4;
    QTest::newRow("third byte read as a first byte") << QByteArray("\x94\x39\xFC\x36") << 2 << 4;
    QTest::newRow("past the end") << QByteArray("ab") << 2 << 1;
    QTest::newRow("empty text") << QByteArray() << 0 << 1;
}

void TestBytes::characterLength()
{
    QFETCH(QByteArray, text);
    QFETCH(int, offset);
    QFETCH(int, expected);
    QCOMPARE(text::CharacterLengthAt(view(text), std::size_t(offset)), expected);
}

void TestBytes::byteLength_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("ascii") << QByteArray("abc") << 3;
    QTest::newRow("two-byte characters count two") << QByteArray("\xB0\xA1z") << 3;
    QTest::newRow("cut at zero byte") << QByteArray("ab\0cd", 5) << 2;
    QTest::newRow("zero byte first") << QByteArray("\0ab", 3) << 0;
}

void TestBytes::byteLength()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    QCOMPARE(text::ByteLength(view(text)), expected);
}

void TestBytes::findBytes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("search");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<int>("expected");

    const QByteArray abcabc("abcabc");
    QTest::newRow("first match") << abcabc << QByteArray("bc") << 1 << false << 2;
    QTest::newRow("match after start") << abcabc << QByteArray("bc") << 3 << false << 5;
    QTest::newRow("one byte left") << abcabc << QByteArray("bc") << 6 << false << -1;
    QTest::newRow("match ends on last byte") << abcabc << QByteArray("bc") << 5 << false << 5;
    QTest::newRow("start 0 searches from first") << abcabc << QByteArray("bc") << 0 << false << 2;
    QTest::newRow("negative start") << abcabc << QByteArray("bc") << -5 << false << 2;
    QTest::newRow("lowest start") << abcabc << QByteArray("bc") << minInt << false << 2;
    QTest::newRow("start past end") << abcabc << QByteArray("c") << 7 << false << -1;
    QTest::newRow("highest start") << abcabc << QByteArray("c") << maxInt << false << -1;
    QTest::newRow("search longer than text")
        << QByteArray("ab") << QByteArray("abc") << 1 << false << -1;
    QTest::newRow("whole text") << abcabc << abcabc << 1 << true << 1;
    QTest::newRow("overlapping: first") << QByteArray("aaa") << QByteArray("aa") << 1 << false << 1;
    QTest::newRow("overlapping: next from position + 1")
        << QByteArray("aaa") << QByteArray("aa") << 2 << false << 2;

    for (const bool ignoreCase : {false, true}) {
        const char *suffix = ignoreCase ? " (ignore case)" : "";
        QTest::addRow("empty search at start 1%s", suffix)
            << QByteArray("abc") << QByteArray() << 1 << ignoreCase << 1;
        QTest::addRow("empty search answers 1 from start 3%s", suffix)
            << QByteArray("abc") << QByteArray() << 3 << ignoreCase << 1;
        QTest::addRow("empty search past end%s", suffix)
            << QByteArray("abc") << QByteArray() << 4 << ignoreCase << -1;
        QTest::addRow("empty search in empty text%s", suffix)
            << QByteArray() << QByteArray() << 1 << ignoreCase << -1;
        QTest::addRow("search in empty text%s", suffix)
            << QByteArray() << QByteArray("a") << 1 << ignoreCase << -1;
    }

    QTest::newRow("case ignored") << QByteArray("xABC") << QByteArray("abc") << 1 << true << 2;
    QTest::newRow("case kept") << QByteArray("xABC") << QByteArray("abc") << 1 << false << -1;
    QTest::newRow("capitals in search fold too")
        << QByteArray("xabc") << QByteArray("ABC") << 1 << true << 2;
    // Only 0x41-0x5A fold: the neighbours of the capitals and high bytes stay as they are.
    QTest::newRow("@ is not a capital") << QByteArray("`") << QByteArray("@") << 1 << true << -1;
    QTest::newRow("[ is not a capital") << QByteArray("{") << QByteArray("[") << 1 << true << -1;
    QTest::newRow("high bytes do not fold")
        << QByteArray("\xE1\x61") << QByteArray("\xC1\x61") << 1 << true << -1;

    // B0 41 is one character, so the scan steps from byte 1 to byte 3.
    const QByteArray leadThenAB("\xB0\x41\x42");
    QTest::newRow("match inside a character skipped")
        << leadThenAB << QByteArray("AB") << 1 << false << -1;
    QTest::newRow("start on second byte realigns")
        << leadThenAB << QByteArray("AB") << 2 << false << 2;
    QTest::newRow("second byte folded")
        << QByteArray("\xB0\x61") << QByteArray("\xB0\x41") << 1 << true << 1;
    QTest::newRow("second byte exact")
        << QByteArray("\xB0\x61") << QByteArray("\xB0\x41") << 1 << false << -1;
    QTest::newRow("second byte of first bytes hides match")
        << QByteArray("\xB0\xB0\xB0x") << QByteArray("x") << 1 << false << -1;
    QTest::newRow("alignment shifted by start")
        << QByteArray("\xB0\xB0\xB0x") << QByteArray("x") << 2 << false << 4;
    QTest::newRow("lone first byte at end ends search")
        << QByteArray("a\xB0") << QByteArray("z") << 1 << false << -1;
    QTest::newRow("lone first byte at end can match")
        << QByteArray("a\xB0") << QByteArray("\xB0") << 1 << false << 2;
    QTest::newRow("lone first byte before zero byte")
        << QByteArray("a\xB0\0zz", 5) << QByteArray("z") << 1 << false << -1;

    // Four-byte characters: 'ء' is 81 31 83 33, '외' 83 33 81 31, '😀' 94 39 FC 36, '中' D6 D0.
    const QByteArray hamzas("\x81\x31\x83\x33\x81\x31\x83\x33");
    const QByteArray korean("\x83\x33\x81\x31");
    for (const bool ignoreCase : {false, true}) {
        const char *suffix = ignoreCase ? " (ignore case)" : "";
        QTest::addRow("match across two four-byte characters skipped%s", suffix)
            << hamzas << korean << 1 << ignoreCase << -1;
        QTest::addRow("start on a third byte realigns%s", suffix)
            << hamzas << korean << 3 << ignoreCase << 3;
    }
    const QByteArray emoji("\x94\x39\xFC\x36");
    QTest::newRow("four-byte search") << "a" + emoji + emoji << emoji << 1 << false << 2;
    QTest::newRow("four-byte search from the next character")
        << "a" + emoji + emoji << emoji << 6 << false << 6;
    QTest::newRow("last two bytes of a four-byte character")
        << emoji + emoji << QByteArray("\xFC\x36") << 1 << false << -1;
    QTest::newRow("digit inside a four-byte character")
        << emoji + "6" << QByteArray("6") << 1 << false << 5;
    QTest::newRow("two-byte then four-byte, across them")
        << "\xD6\xD0" + emoji << QByteArray("\xD0\x94") << 1 << false << -1;
    QTest::newRow("four-byte then two-byte")
        << emoji + "\xD6\xD0" << QByteArray("\xD6\xD0") << 1 << false << 5;
    QTest::newRow("four-byte then two-byte, across them")
        << emoji + "\xD6\xD0" << QByteArray("\x36\xD6") << 1 << false << -1;
    QTest::newRow("four-byte character cut short by the end hides its bytes")
        << QByteArray("\x81\x30\x31") << QByteArray("1") << 1 << false << -1;
    QTest::newRow("letter after a four-byte first byte: two bytes")
        << QByteArray("\x81\x40\x31") << QByteArray("1") << 1 << false << 3;

    QTest::newRow("text cut at zero byte")
        << QByteArray("ab\0cd", 5) << QByteArray("cd") << 1 << false << -1;
    QTest::newRow("search cut at zero byte")
        << QByteArray("xab") << QByteArray("a\0z", 3) << 1 << false << 2;
    QTest::newRow("search of only a zero byte")
        << QByteArray("ab") << QByteArray("\0", 1) << 2 << false << 1;

    // Long texts where the search repeats itself, and matches that all lie off the boundaries.
    const QByteArray run(1 << 20, 'a');
    QTest::newRow("repeating search, no match") << run << QByteArray("aaaab") << 1 << false << -1;
    QTest::newRow("repeating search, match at end")
        << run + "b" << QByteArray("aaaab") << 1 << false << (1 << 20) - 3;
    QTest::newRow("repeating search, case ignored")
        << run + "B" << QByteArray("AAAAB") << 1 << true << (1 << 20) - 3;
    QByteArray pairs;
    for (int i = 0; i < (1 << 18); ++i)
        pairs += "\xB0\x61";
    const QByteArray offBoundary("\x61\xB0\x61\xB0\x61");
    QTest::newRow("every match off the boundaries") << pairs << offBoundary << 1 << false << -1;
    QTest::newRow("same text from second byte") << pairs << offBoundary << 2 << false << 2;
    const QByteArray manyHamzas = hamzas.repeated(1 << 17);
    QTest::newRow("every match across four-byte characters")
        << manyHamzas << korean + korean << 1 << true << -1;
    QTest::newRow("same text from third byte") << manyHamzas << korean + korean << 3 << true << 3;
}

void TestBytes::findBytes()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, search);
    QFETCH(int, start);
    QFETCH(bool, ignoreCase);
    QFETCH(int, expected);
    QCOMPARE(text::FindBytes(view(text), view(search), start, ignoreCase), expected);
}

void TestBytes::midBytes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray abcdef("abcdef");
    QTest::newRow("middle") << abcdef << 2 << 3 << QByteArray("bcd");
    QTest::newRow("count cut to the end") << abcdef << 2 << 100 << QByteArray("bcdef");
    QTest::newRow("highest count") << abcdef << 2 << maxInt << QByteArray("bcdef");
    QTest::newRow("whole text") << abcdef << 1 << 6 << abcdef;
    QTest::newRow("last byte") << abcdef << 6 << 1 << QByteArray("f");
    QTest::newRow("start 0 is not moved") << abcdef << 0 << 3 << QByteArray();
    QTest::newRow("lowest start") << abcdef << minInt << 3 << QByteArray();
    QTest::newRow("start past end") << abcdef << 7 << 1 << QByteArray();
    QTest::newRow("count 0") << abcdef << 1 << 0 << QByteArray();
    QTest::newRow("negative count") << abcdef << 1 << -1 << QByteArray();
    QTest::newRow("empty text") << QByteArray() << 1 << 1 << QByteArray();
    QTest::newRow("half a character") << QByteArray("\xB0\x41") << 1 << 1 << QByteArray("\xB0");
    QTest::newRow("second half of a character")
        << QByteArray("\xB0\x41") << 2 << 5 << QByteArray("\x41");
    QTest::newRow("cut at zero byte") << QByteArray("ab\0cd", 5) << 2 << 10 << QByteArray("b");
    QTest::newRow("start past zero byte") << QByteArray("ab\0cd", 5) << 4 << 1 << QByteArray();
}

void TestBytes::midBytes()
{
    QFETCH(QByteArray, text);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytesOf(text::MidBytes(view(text), start, count)), expected);
}

void TestBytes::replaceBytes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray abcdef("abcdef");
    const QByteArray x("X");
    QTest::newRow("middle") << abcdef << 2 << 3 << x << QByteArray("aXef");
    QTest::newRow("start 0 moves to 1") << abcdef << 0 << 3 << x << QByteArray("Xdef");
    QTest::newRow("lowest start") << abcdef << minInt << 3 << x << QByteArray("Xdef");
    QTest::newRow("start past end appends") << abcdef << 10 << 3 << x << QByteArray("abcdefX");
    QTest::newRow("highest start appends") << abcdef << maxInt << 3 << x << QByteArray("abcdefX");
    QTest::newRow("start just past end") << abcdef << 7 << 0 << x << QByteArray("abcdefX");
    QTest::newRow("count cut to the end") << abcdef << 2 << 100 << x << QByteArray("aX");
    QTest::newRow("highest count") << abcdef << 2 << maxInt << x << QByteArray("aX");
    QTest::newRow("negative count inserts") << abcdef << 2 << -1 << x << QByteArray("aXbcdef");
    QTest::newRow("lowest count inserts") << abcdef << 2 << minInt << x << QByteArray("aXbcdef");
    QTest::newRow("last byte") << abcdef << 6 << 1 << QByteArray("YZ") << QByteArray("abcdeYZ");
    QTest::newRow("everything removed")
        << QByteArray("ab") << 1 << 2 << QByteArray() << QByteArray();
    QTest::newRow("into empty text") << QByteArray() << 1 << 1 << x << x;
    QTest::newRow("half a character replaced")
        << QByteArray("\xB0\x41") << 2 << 1 << QByteArray("z") << QByteArray("\xB0z");
    QTest::newRow("text cut at zero byte")
        << QByteArray("ab\0cd", 5) << 3 << 5 << x << QByteArray("abX");
    QTest::newRow("replacement cut at zero byte")
        << abcdef << 1 << 1 << QByteArray("X\0Y", 3) << QByteArray("Xbcdef");
}

void TestBytes::replaceBytes()
{
    QFETCH(QByteArray, text);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(QByteArray, replacement);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytesOf(text::ReplaceBytes(view(text), start, count, view(replacement))), expected);
}

void TestBytes::compareBytes_data()
{
    QTest::addColumn<QByteArray>("left");
    QTest::addColumn<QByteArray>("right");
    QTest::addColumn<int>("expected");

    QTest::newRow("missing and empty") << QByteArray() << QByteArray("") << 0;
    QTest::newRow("equal") << QByteArray("abc") << QByteArray("abc") << 0;
    QTest::newRow("lower") << QByteArray("a") << QByteArray("b") << -1;
    QTest::newRow("higher") << QByteArray("b") << QByteArray("a") << 1;
    QTest::newRow("longer after common start") << QByteArray("ab") << QByteArray("a") << 1;
    QTest::newRow("proper beginning is lower") << QByteArray("a") << QByteArray("ab") << -1;
    QTest::newRow("empty against text") << QByteArray() << QByteArray("a") << -1;
    QTest::newRow("bytes are unsigned") << QByteArray("\xB0") << QByteArray("a") << 1;
    QTest::newRow("7F below 80") << QByteArray("\x7F") << QByteArray("\x80") << -1;
    QTest::newRow("no case folding") << QByteArray("A") << QByteArray("a") << -1;
    QTest::newRow("differences after zero byte ignored")
        << QByteArray("a\0z", 3) << QByteArray("a\0b", 3) << 0;
    QTest::newRow("zero byte ends the text") << QByteArray("a\0z", 3) << QByteArray("a") << 0;
}

void TestBytes::compareBytes()
{
    QFETCH(QByteArray, left);
    QFETCH(QByteArray, right);
    QFETCH(int, expected);
    QCOMPARE(text::CompareBytes(view(left), view(right)), expected);
}

void TestBytes::foldFullWidth_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("ascii kept") << QByteArray("a1 .") << QByteArray("a1 .");
    QTest::newRow("full-width digits") << QByteArray("\xA3\xB1\xA3\xB2") << QByteArray("12");
    QTest::newRow("first full-width form") << QByteArray("\xA3\xA1") << QByteArray("!");
    QTest::newRow("last full-width form") << QByteArray("\xA3\xFE") << QByteArray("~");
    QTest::newRow("below the full-width forms") << QByteArray("\xA3\xA0") << QByteArray("\xA3\xA0");
    QTest::newRow("above the full-width forms") << QByteArray("\xA3\xFF") << QByteArray("\xA3\xFF");
    QTest::newRow("ideographic space") << QByteArray("\xA1\xA1") << QByteArray(" ");
    QTest::newRow("full-width tilde") << QByteArray("\xA1\xAB") << QByteArray("~");
    QTest::newRow("white star") << QByteArray("\xA1\xEE") << QByteArray("*");
    QTest::newRow("black star") << QByteArray("\xA1\xEF") << QByteArray("*");
    QTest::newRow("other punctuation kept") << QByteArray("\xA1\xA2") << QByteArray("\xA1\xA2");
    QTest::newRow("chinese character kept") << QByteArray("\xB0\xA1") << QByteArray("\xB0\xA1");
    QTest::newRow("ascii second byte stays in its character")
        << QByteArray("\xA3\x41z") << QByteArray("\xA3\x41z");
    QTest::newRow("characters counted from the start")
        << QByteArray("\xB0\xA3\xB1\x61") << QByteArray("\xB0\xA3\xB1\x61");
    // B1 31 begins a four-byte character, which the end of the text cuts short.
    QTest::newRow("characters counted from the start, cut short")
        << QByteArray("\xB0\xA3\xB1\x31") << QByteArray("\xB0\xA3");
    QTest::newRow("four-byte character kept") << QByteArray("\x94\x39\xFC\x36\xA3\xB1")
                                              << QByteArray("\x94\x39\xFC\x36"
                                                            "1");
    QTest::newRow("full-width form inside a four-byte character kept")
        << QByteArray("\x81\x30\xA3\xB1\xA3\xB2")
        << QByteArray("\x81\x30\xA3\xB1"
                      "2");
    QTest::newRow("four-byte character cut short by the end")
        << QByteArray("a\x81\x30\x81") << QByteArray("a");
    QTest::newRow("four-byte character cut short by a zero byte")
        << QByteArray("a\x81\x30\0\x36", 5) << QByteArray("a");
    QTest::newRow("lone first byte at end ends the text") << QByteArray("a\xA3") << QByteArray("a");
    QTest::newRow("cut at zero byte") << QByteArray("\xA3\xB1\0\xA3\xB2", 5) << QByteArray("1");
}

void TestBytes::foldFullWidth()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytesOf(text::FoldFullWidth(view(text))), expected);
}

void TestBytes::parseNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("whole number") << QByteArray("3") << 3.0;
    QTest::newRow("space, sign, point, exponent, tail") << QByteArray("  -2.5e2xyz") << -250.0;
    QTest::newRow("d marker") << QByteArray("1d3") << 1000.0;
    QTest::newRow("D marker") << QByteArray("1D3") << 1000.0;
    QTest::newRow("E marker, plus sign") << QByteArray("1E+3") << 1000.0;
    QTest::newRow("negative exponent") << QByteArray("25e-1") << 2.5;
    QTest::newRow("exponent leading zeros") << QByteArray("1e007") << 1e7;
    QTest::newRow("marker without digits") << QByteArray("2e") << 2.0;
    QTest::newRow("marker and sign without digits") << QByteArray("2e+") << 2.0;
    QTest::newRow("marker and sign, then letter") << QByteArray("2e-x") << 2.0;
    QTest::newRow("marker, then space") << QByteArray("2e 3") << 2.0;
    QTest::newRow("point first") << QByteArray(".5") << 0.5;
    QTest::newRow("point last") << QByteArray("5.") << 5.0;
    QTest::newRow("point, then exponent") << QByteArray("5.e2") << 500.0;
    QTest::newRow("second point ends number") << QByteArray("1.2.3") << 1.2;
    QTest::newRow("comma ends number") << QByteArray("2,5") << 2.0;
    QTest::newRow("plus sign") << QByteArray("+4") << 4.0;
    QTest::newRow("space after sign") << QByteArray("- 4") << 0.0;
    QTest::newRow("two signs") << QByteArray("--4") << 0.0;
    QTest::newRow("all white space bytes") << QByteArray("\t\n\x0B\x0C\r 8") << 8.0;
    QTest::newRow("leading zeros") << QByteArray("007") << 7.0;
    QTest::newRow("small fraction") << QByteArray(" 0.1") << 0.1;
    QTest::newRow("many digits") << QByteArray("123456789012345678901234567890")
                                 << 123456789012345678901234567890.0;
    QTest::newRow("empty") << QByteArray() << 0.0;
    QTest::newRow("letters") << QByteArray("abc") << 0.0;
    QTest::newRow("hex reads as 0") << QByteArray("0x1A") << 0.0;
    QTest::newRow("no infinity word") << QByteArray("inf") << 0.0;
    QTest::newRow("point alone") << QByteArray(".") << 0.0;
    QTest::newRow("sign alone") << QByteArray("-") << 0.0;
    QTest::newRow("exponent without mantissa") << QByteArray(".e2") << 0.0;
    QTest::newRow("overflow") << QByteArray("1e400") << HUGE_VAL;
    QTest::newRow("negative overflow") << QByteArray("-9e99999999999999999999") << -HUGE_VAL;
    QTest::newRow("underflow") << QByteArray("1e-400") << 0.0;
    QTest::newRow("smallest subnormal")
        << QByteArray("4.9406564584124654e-324") << std::numeric_limits<double>::denorm_min();
    QTest::newRow("full-width digits") << QByteArray("\xA3\xB1\xA3\xB2") << 12.0;
    QTest::newRow("ideographic space") << QByteArray("\xA1\xA1"
                                                     "7")
                                       << 7.0;
    QTest::newRow("full-width sign and point")
        << QByteArray("\xA3\xAD\xA3\xB1\xA3\xAE\xA3\xB5") << -1.5;
    QTest::newRow("full-width exponent") << QByteArray("\xA3\xB1\xA3\xE5\xA3\xB2") << 100.0;
    QTest::newRow("digit as second byte is no digit") << QByteArray("\xB0\x31") << 0.0;
    QTest::newRow("four-byte character ends the number")
        << QByteArray("12\x81\x30\xA3\xB1") << 12.0;
    QTest::newRow("lone first byte after digits") << QByteArray("3\xB0") << 3.0;
    QTest::newRow("cut at zero byte") << QByteArray("1\0002", 3) << 1.0;
}

void TestBytes::parseNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(double, expected);
    const double value = text::ParseNumber(view(text));
    QCOMPARE(value, expected);
    QCOMPARE(std::signbit(value), std::signbit(expected));
}

void TestBytes::parseNumberIgnoresTheLocale()
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_ALL, "de_DE") == nullptr)
        QSKIP("no German locale installed");
    const double point = text::ParseNumber("2.5");
    const double comma = text::ParseNumber("2,5");
    const double exponent = text::ParseNumber("1.5e1");
    std::setlocale(LC_ALL, previous.c_str());
    QCOMPARE(point, 2.5);
    QCOMPARE(comma, 2.0);
    QCOMPARE(exponent, 15.0);
}

void TestBytes::findAgreesWithStepByStepSearch()
{
    TextGenerator generate(alphabet(byteAlphabet));
    for (int round = 0; round < 20000; ++round) {
        const std::string haystack = generate.text(24);
        const std::string search = generate.searchIn(haystack);
        const int32_t start = generate.number(-2, static_cast<int>(haystack.size()) + 2);
        const bool ignoreCase = generate.number(0, 1) == 1;
        const int32_t found = text::FindBytes(haystack, search, start, ignoreCase);
        const int32_t expected = reference::findBytes(haystack, search, start, ignoreCase);
        if (found != expected)
            QFAIL(qPrintable(QStringLiteral("text [%1] search [%2] start %3 ignoreCase %4: %5, "
                                            "expected %6")
                                 .arg(hex(haystack), hex(search))
                                 .arg(start)
                                 .arg(ignoreCase)
                                 .arg(found)
                                 .arg(expected)));
    }
}

void TestBytes::cuttingRoutinesAgreeWithStepByStepVersions()
{
    TextGenerator generate(alphabet(byteAlphabet));
    for (int round = 0; round < 20000; ++round) {
        const std::string left = generate.text(12);
        const std::string right = generate.number(0, 3) == 0 ? left : generate.text(12);
        const int32_t start = generate.number(-2, static_cast<int>(left.size()) + 2);
        const int32_t count = generate.number(-2, static_cast<int>(left.size()) + 2);
        const QString inputs = QStringLiteral("left [%1] right [%2] start %3 count %4")
                                   .arg(hex(left), hex(right))
                                   .arg(start)
                                   .arg(count);
        if (text::ByteLength(left) != reference::byteLength(left))
            QFAIL(qPrintable("ByteLength: " + inputs));
        if (text::MidBytes(left, start, count) != reference::midBytes(left, start, count))
            QFAIL(qPrintable("MidBytes: " + inputs));
        if (text::ReplaceBytes(left, start, count, right) !=
            reference::replaceBytes(left, start, count, right))
            QFAIL(qPrintable("ReplaceBytes: " + inputs));
        if (text::CompareBytes(left, right) != reference::compareBytes(left, right))
            QFAIL(qPrintable("CompareBytes: " + inputs));
        if (text::FoldFullWidth(left) != reference::foldFullWidth(left))
            QFAIL(qPrintable("FoldFullWidth: " + inputs));
    }
}

void TestBytes::parseNumberAgreesWithStepByStepReading()
{
    TextGenerator generate(alphabet(numberAlphabet));
    for (int round = 0; round < 20000; ++round) {
        const std::string number = generate.text(16);
        const double value = text::ParseNumber(number);
        const double expected = reference::parseNumber(number);
        if (value != expected || std::signbit(value) != std::signbit(expected))
            QFAIL(qPrintable(QStringLiteral("[%1]: %2, expected %3")
                                 .arg(hex(number))
                                 .arg(value, 0, 'g', 17)
                                 .arg(expected, 0, 'g', 17)));
    }
}

// Every routine takes a default std::string_view, which has no storage at all, as the empty
// text. Each row gives the default view to one argument; the sanitizer build also checks that
// no routine hands its null pointer on to the C library.
namespace {

enum class DefaultViewCall
{
    ByteLength,
    FindBytesText,
    FindBytesSearch,
    MidBytes,
    ReplaceBytesText,
    ReplaceBytesReplacement,
    CompareBytesLeft,
    CompareBytesRight,
    FoldFullWidth,
    ParseNumber,
    CharacterLengthAt
};

} // namespace

Q_DECLARE_METATYPE(DefaultViewCall)

namespace {

QString answerWithDefaultView(DefaultViewCall call)
{
    const std::string_view none{};
    switch (call) {
    case DefaultViewCall::ByteLength:
        return QString::number(text::ByteLength(none));
    case DefaultViewCall::FindBytesText:
        return QString::number(text::FindBytes(none, "a", 1, true));
    case DefaultViewCall::FindBytesSearch:
        return QString::number(text::FindBytes("abc", none, 2, false));
    case DefaultViewCall::MidBytes:
        return hex(text::MidBytes(none, 1, 1));
    case DefaultViewCall::ReplaceBytesText:
        return hex(text::ReplaceBytes(none, 1, 1, "x"));
    case DefaultViewCall::ReplaceBytesReplacement:
        return hex(text::ReplaceBytes("abc", 2, 1, none));
    case DefaultViewCall::CompareBytesLeft:
        return QString::number(text::CompareBytes(none, "a"));
    case DefaultViewCall::CompareBytesRight:
        return QString::number(text::CompareBytes("", none));
    case DefaultViewCall::FoldFullWidth:
        return hex(text::FoldFullWidth(none));
    case DefaultViewCall::ParseNumber:
        return QString::number(text::ParseNumber(none));
    case DefaultViewCall::CharacterLengthAt:
        return QString::number(text::CharacterLengthAt(none, 0));
    }
    return {};
}

} // namespace

void TestBytes::defaultViewIsTheEmptyText_data()
{
    QTest::addColumn<DefaultViewCall>("call");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ByteLength") << DefaultViewCall::ByteLength << "0";
    QTest::newRow("FindBytes text") << DefaultViewCall::FindBytesText << "-1";
    QTest::newRow("FindBytes search") << DefaultViewCall::FindBytesSearch << "1";
    QTest::newRow("MidBytes") << DefaultViewCall::MidBytes << "";
    QTest::newRow("ReplaceBytes text") << DefaultViewCall::ReplaceBytesText << "78";
    QTest::newRow("ReplaceBytes replacement")
        << DefaultViewCall::ReplaceBytesReplacement << "61 63";
    QTest::newRow("CompareBytes left") << DefaultViewCall::CompareBytesLeft << "-1";
    QTest::newRow("CompareBytes right") << DefaultViewCall::CompareBytesRight << "0";
    QTest::newRow("FoldFullWidth") << DefaultViewCall::FoldFullWidth << "";
    QTest::newRow("ParseNumber") << DefaultViewCall::ParseNumber << "0";
    QTest::newRow("CharacterLengthAt") << DefaultViewCall::CharacterLengthAt << "1";
}

void TestBytes::defaultViewIsTheEmptyText()
{
    QFETCH(DefaultViewCall, call);
    QTEST(answerWithDefaultView(call), "expected");
}

// Texts of whole one-, two- and four-byte characters, searched from a character start with
// search texts cut from them anywhere: a match is only ever answered where a character begins,
// and a search text of whole characters of the text is found no later than where it was cut.
void TestBytes::findAnswersOnlyCharacterStarts()
{
    charactertexts::Generator generate(20261211);
    int wholeCharactersFound = 0;
    for (int round = 0; round < 20000; ++round) {
        const charactertexts::Text haystack = generate.text(10);
        const std::string search = generate.searchFor(haystack);
        const bool ignoreCase = generate.number(0, 1) == 1;
        const int32_t start = haystack.starts.empty()
                                  ? 1
                                  : int32_t(haystack.starts[std::size_t(
                                        generate.number(0, int(haystack.starts.size()) - 1))]) +
                                        1;
        const int32_t found = text::FindBytes(haystack.bytes, search, start, ignoreCase);
        const auto context = [&] {
            return QStringLiteral("text [%1] search [%2] start %3: %4")
                .arg(hex(haystack.bytes), hex(search))
                .arg(start)
                .arg(found);
        };
        if (found != -1 && !haystack.startsCharacter(std::size_t(found - 1)))
            QFAIL(qPrintable(context()));

        // A search text made of whole characters, cut from the text at or after the start.
        const std::size_t cut = haystack.bytes.find(search, std::size_t(start - 1));
        if (search.empty() || cut == std::string::npos || !haystack.startsCharacter(cut))
            continue;
        const std::size_t end = cut + search.size();
        if (end != haystack.bytes.size() && !haystack.startsCharacter(end))
            continue;
        ++wholeCharactersFound;
        if (found == -1 || std::size_t(found - 1) > cut)
            QFAIL(qPrintable(context() + QStringLiteral(", cut at %1").arg(cut + 1)));
    }
    QVERIFY(wholeCharactersFound > 1000);
}

QTEST_APPLESS_MAIN(TestBytes)
#include "tst_bytes.moc"
