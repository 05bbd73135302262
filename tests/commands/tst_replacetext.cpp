#include <cstddef>
#include <random>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QString>
#include <QTest>

#include "../text/charactertexts.h"
#include "commands/replacetext.h"
#include "replacereference.h"
#include "text/codepage.h"

using commands::ReplaceStatus;

Q_DECLARE_METATYPE(commands::ReplaceStatus)

namespace {

// Bytes from a literal, zero bytes included.
template <std::size_t N> QByteArray raw(const char (&bytes)[N])
{
    return QByteArray(bytes, N - 1);
}

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QString hex(std::string_view bytes)
{
    return QString::fromLatin1(
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toHex(' '));
}

const char *statusName(ReplaceStatus status)
{
    switch (status) {
    case ReplaceStatus::NothingFound:
        return "NothingFound";
    case ReplaceStatus::Replaced:
        return "Replaced";
    case ReplaceStatus::TooLarge:
        return "TooLarge";
    }
    return "?";
}

// 'a' and 'A' fold together, 'b' is another letter, B0 is a first byte, D6 D0 a two-byte
// character, '1' after a first byte makes it begin a four-byte character, and a zero now and then
// cuts a text.
constexpr unsigned char alphabet[] = {'a', 'A', 'b', '1', 0xB0, 0xD6, 0xD0};

class Generator
{
public:
    std::string text(int maxLength, bool withZero)
    {
        std::string result;
        const int length = number(0, maxLength);
        for (int i = 0; i < length; ++i) {
            if (withZero && number(0, 15) == 0)
                result.push_back('\0');
            else
                result.push_back(static_cast<char>(
                    alphabet[static_cast<std::size_t>(number(0, sizeof alphabet - 1))]));
        }
        return result;
    }

    int number(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }

private:
    std::mt19937 m_random{4303};
};

} // namespace

class TestReplaceText : public QObject
{
    Q_OBJECT

private slots:
    void replaceAll_data();
    void replaceAll();
    void agreesWithTheLoop();
    void replaceAllKeepsCharactersWhole();
    void runawayResultStopsAtTheLimit();
};

void TestReplaceText::replaceAll_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("search");
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<qulonglong>("limit");
    QTest::addColumn<ReplaceStatus>("status");
    QTest::addColumn<QByteArray>("expected");

    const qulonglong noLimit = commands::kReplaceLimitBytes;
    const auto found = ReplaceStatus::Replaced;
    const auto nothing = ReplaceStatus::NothingFound;
    const auto tooLarge = ReplaceStatus::TooLarge;

    QTest::newRow("any case") << raw("Abc abc ABC") << raw("abc") << raw("x") << noLimit << found
                              << raw("x x x");
    QTest::newRow("capital search")
        << raw("aAa") << raw("A") << raw("b") << noLimit << found << raw("bbb");
    QTest::newRow("pairs") << raw("aaaa") << raw("aa") << raw("b") << noLimit << found << raw("bb");
    QTest::newRow("odd pair left")
        << raw("aaa") << raw("aa") << raw("b") << noLimit << found << raw("ba");
    QTest::newRow("remove") << raw("a-b-c") << raw("-") << raw("") << noLimit << found
                            << raw("abc");
    QTest::newRow("longer replacement")
        << raw("aa") << raw("a") << raw("bc") << noLimit << found << raw("bcbc");
    QTest::newRow("replacement forms new occurrence")
        << raw("abb") << raw("ab") << raw("xa") << noLimit << found << raw("xxa");
    QTest::newRow("occurrence before replacement stays")
        << raw("aab") << raw("ab") << raw("b") << noLimit << found << raw("ab");
    QTest::newRow("replacement is the search")
        << raw("xaxa") << raw("a") << raw("a") << noLimit << found << raw("xaxa");
    QTest::newRow("whole text") << raw("abc") << raw("ABC") << raw("d") << noLimit << found
                                << raw("d");
    QTest::newRow("no occurrence")
        << raw("abc") << raw("x") << raw("y") << noLimit << nothing << QByteArray();
    QTest::newRow("search longer than text")
        << raw("ab") << raw("abc") << raw("y") << noLimit << nothing << QByteArray();
    QTest::newRow("empty pane") << raw("") << raw("a") << raw("b") << noLimit << nothing
                                << QByteArray();
    QTest::newRow("empty pane, empty search")
        << raw("") << raw("") << raw("b") << noLimit << nothing << QByteArray();

    // Two-byte characters (GB18030): D6 D0, B9 FA, C8 CB, C3 F1.
    QTest::newRow("two-byte twice") << raw("\xD6\xD0\xD6\xD0") << raw("\xD6\xD0") << raw("\xB9\xFA")
                                    << noLimit << found << raw("\xB9\xFA\xB9\xFA");
    QTest::newRow("two-byte in a sentence")
        << raw("\xD6\xD0\xB9\xFA\xC8\xCB\xC3\xF1 \xB9\xFA") << raw("\xB9\xFA") << raw("\xC3\xF1")
        << noLimit << found << raw("\xD6\xD0\xC3\xF1\xC8\xCB\xC3\xF1 \xC3\xF1");
    QTest::newRow("bytes across two characters") << raw("\xD6\xD0\xD6\xD0") << raw("\xD0\xD6")
                                                 << raw("x") << noLimit << nothing << QByteArray();
    QTest::newRow("second byte folds like a letter")
        << raw("\xB0\x61\xB0\x41") << raw("\xB0\x41") << raw("-") << noLimit << found << raw("--");
    QTest::newRow("ASCII between characters") << raw("a\xD6\xD0"
                                                     "a")
                                              << raw("A") << raw("b") << noLimit << found
                                              << raw("b\xD6\xD0"
                                                     "b");
    QTest::newRow("replacement is a two-byte character with the search as second byte")
        << raw("aa") << raw("a")
        << raw("\xB0"
               "a")
        << noLimit << found
        << raw("\xB0"
               "a\xB0"
               "a");
    QTest::newRow("search hidden in a character of the replacement") << raw("aa") << raw("a")
                                                                     << raw("x\xB0"
                                                                            "a")
                                                                     << noLimit << found
                                                                     << raw("x\xB0"
                                                                            "ax\xB0"
                                                                            "a");
    QTest::newRow("occurrence across the replacement's end inside a character")
        << raw("aaa") << raw("aa")
        << raw("x\xB0"
               "a")
        << noLimit << found
        << raw("x\xB0"
               "aa");
    QTest::newRow("first byte ending the replacement takes the next byte")
        << raw("aab") << raw("a") << raw("x\xB0") << noLimit << found
        << raw("x\xB0"
               "ab");
    QTest::newRow("single first byte as replacement skips the next byte")
        << raw("aa") << raw("a") << raw("\xB0") << noLimit << found
        << raw("\xB0"
               "a");
    QTest::newRow("first byte at the end of the text")
        << raw("a\xB0") << raw("\xB0") << raw("c") << noLimit << found << raw("ac");

    // Four-byte characters (GB18030): 'ء' 81 31 83 33, '외' 83 33 81 31, '😀' 94 39 FC 36,
    // '𠀀' 95 32 82 36; '中' D6 D0, '国' B9 FA.
    QTest::newRow("search across two four-byte characters")
        << raw("\x81\x31\x83\x33\x81\x31\x83\x33") << raw("\x83\x33\x81\x31") << raw("x") << noLimit
        << nothing << QByteArray();
    QTest::newRow("search of the last bytes of a four-byte character")
        << raw("\x94\x39\xFC\x36\x94\x39\xFC\x36") << raw("\xFC\x36") << raw("x") << noLimit
        << nothing << QByteArray();
    QTest::newRow("four-byte search")
        << raw("\x94\x39\xFC\x36"
               "a\x94\x39\xFC\x36")
        << raw("\x94\x39\xFC\x36") << raw("x") << noLimit << found << raw("xax");
    QTest::newRow("four-byte replacement")
        << raw("a-b-") << raw("-") << raw("\x95\x32\x82\x36") << noLimit << found
        << raw("a\x95\x32\x82\x36"
               "b\x95\x32\x82\x36");
    QTest::newRow("four-byte replacement ending in the search's byte")
        << raw("66") << raw("6") << raw("\x94\x39\xFC\x36") << noLimit << found
        << raw("\x94\x39\xFC\x36\x94\x39\xFC\x36");
    QTest::newRow("four-byte next to two-byte")
        << raw("\xD6\xD0\x94\x39\xFC\x36\xD6\xD0") << raw("\xD6\xD0") << raw("\xB9\xFA") << noLimit
        << found << raw("\xB9\xFA\x94\x39\xFC\x36\xB9\xFA");
    QTest::newRow("two-byte replaced by four-byte")
        << raw("\xD6\xD0\xD6\xD0") << raw("\xD6\xD0") << raw("\x94\x39\xFC\x36") << noLimit << found
        << raw("\x94\x39\xFC\x36\x94\x39\xFC\x36");
    // The next search starts one character after the replacement's first byte; where the
    // replacement only begins a four-byte character, the text after it completes it.
    QTest::newRow("replacement beginning a four-byte character takes two bytes after it")
        << raw("bbb") << raw("b") << raw("\x81\x30") << noLimit << found
        << raw("\x81\x30"
               "bb");
    QTest::newRow("single first byte with a digit after it takes three bytes")
        << raw("a0aa") << raw("a") << raw("\x81") << noLimit << found
        << raw("\x81"
               "0aa");
    QTest::newRow("single first byte with a letter after it takes one byte")
        << raw("abaa") << raw("a") << raw("\x81") << noLimit << found
        << raw("\x81"
               "b\x81"
               "a");
    QTest::newRow("four-byte replacement holding the search after its first character")
        << raw("aa") << raw("a")
        << raw("\x94\x39\xFC\x36"
               "a")
        << noLimit << found
        << raw("\x94\x39\xFC\x36"
               "a\x94\x39\xFC\x36"
               "a");
    QTest::newRow("search inside the replacement's four-byte character is not found there")
        << raw("\xFC\x36") << raw("\xFC\x36") << raw("\x94\x39\xFC\x36") << noLimit << found
        << raw("\x94\x39\xFC\x36");

    // Removing: the byte after a removed occurrence is searched too.
    QTest::newRow("remove adjacent")
        << raw("--") << raw("-") << raw("") << noLimit << found << raw("");
    QTest::newRow("remove all") << raw("aAa") << raw("a") << raw("") << noLimit << found << raw("");
    QTest::newRow("remove pairs, odd byte stays")
        << raw("aaaaa") << raw("aa") << raw("") << noLimit << found << raw("a");
    QTest::newRow("empty search") << raw("abc") << raw("") << raw("x") << noLimit << nothing
                                  << QByteArray();

    // A replacement holding the search text after its first character: each occurrence once.
    QTest::newRow("replacement ends with the search")
        << raw("aaa") << raw("a") << raw("ba") << noLimit << found << raw("bababa");
    QTest::newRow("replacement ends with the search in capitals")
        << raw("xa") << raw("a") << raw("bA") << noLimit << found << raw("xbA");
    QTest::newRow("repeating replacement, no occurrence")
        << raw("xyz") << raw("a") << raw("ba") << noLimit << nothing << QByteArray();
    QTest::newRow("repeating replacement, overlapping occurrences")
        << raw("aaaa") << raw("aa") << raw("baa") << noLimit << found << raw("baabaa");
    QTest::newRow("repeating two-byte replacement")
        << raw("\xD6\xD0") << raw("\xD6\xD0") << raw("\xB9\xFA\xD6\xD0") << noLimit << found
        << raw("\xB9\xFA\xD6\xD0");

    // Only the bytes before a zero byte are searched; the rest is kept.
    QTest::newRow("zero byte keeps the tail")
        << raw("a-b\0-c") << raw("-") << raw("") << noLimit << found << raw("ab\0-c");
    QTest::newRow("occurrence only after zero byte")
        << raw("ab\0-c") << raw("-") << raw("") << noLimit << nothing << QByteArray();
    QTest::newRow("zero byte first")
        << raw("\0a") << raw("a") << raw("b") << noLimit << nothing << QByteArray();
    QTest::newRow("search cut at zero byte")
        << raw("abab") << raw("b\0zz") << raw("c") << noLimit << found << raw("acac");
    QTest::newRow("replacement cut at zero byte")
        << raw("abab") << raw("b") << raw("c\0zz") << noLimit << found << raw("acac");
    QTest::newRow("search only a zero byte")
        << raw("a\0b") << raw("\0") << raw("c") << noLimit << nothing << QByteArray();

    // The limit applies to the whole result, kept tail included.
    QTest::newRow("result one byte over limit")
        << raw("aa") << raw("a") << raw("bcd") << qulonglong{5} << tooLarge << QByteArray();
    QTest::newRow("result exactly at limit")
        << raw("aa") << raw("a") << raw("bcd") << qulonglong{6} << found << raw("bcdbcd");
    QTest::newRow("kept tail counts")
        << raw("a\0xyz") << raw("a") << raw("b") << qulonglong{4} << tooLarge << QByteArray();
    QTest::newRow("kept tail at limit")
        << raw("a\0xyz") << raw("a") << raw("b") << qulonglong{5} << found << raw("b\0xyz");
    QTest::newRow("repeating replacement over limit")
        << raw("aaa") << raw("a") << raw("ba") << qulonglong{5} << tooLarge << QByteArray();
    QTest::newRow("shrinking result under small limit")
        << raw("aaaaaa") << raw("aa") << raw("b") << qulonglong{3} << found << raw("bbb");
    QTest::newRow("limit zero, nothing found")
        << raw("abc") << raw("x") << raw("y") << qulonglong{0} << nothing << QByteArray();
}

void TestReplaceText::replaceAll()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, search);
    QFETCH(QByteArray, replacement);
    QFETCH(qulonglong, limit);
    QFETCH(ReplaceStatus, status);
    QFETCH(QByteArray, expected);

    const commands::ReplaceResult result =
        commands::replaceAllText(view(text), view(search), view(replacement), limit);
    QCOMPARE(statusName(result.status), statusName(status));
    if (status == ReplaceStatus::Replaced)
        QCOMPARE(hex(result.text), hex(view(expected)));
}

// Many small texts against the loop run pass by pass. Without a repeating replacement each pass
// uses up at least one byte of the original text, so a loop still finding after more passes than
// the text has bytes runs for ever; that must be exactly the inputs whose search text occurs in
// the replacement after its first character, and those get each occurrence replaced once.
void TestReplaceText::agreesWithTheLoop()
{
    Generator generate;
    int endless = 0;
    int replaced = 0;
    for (int round = 0; round < 40000; ++round) {
        const std::string text = generate.text(12, true);
        std::string search = generate.text(3, generate.number(0, 9) == 0);
        if (generate.number(0, 3) == 0 && !text.empty()) {
            // A piece of the text, so that occurrences are common.
            const int from = generate.number(0, static_cast<int>(text.size()) - 1);
            search = text.substr(static_cast<std::size_t>(from),
                                 static_cast<std::size_t>(generate.number(1, 3)));
        }
        const std::string replacement = generate.text(4, generate.number(0, 9) == 0);
        const std::size_t limit = generate.number(0, 2) == 0
                                      ? static_cast<std::size_t>(generate.number(0, 30))
                                      : commands::kReplaceLimitBytes;

        const auto context = [&] {
            return QStringLiteral("text %1, search %2, replacement %3, limit %4")
                .arg(hex(text), hex(search), hex(replacement))
                .arg(limit);
        };
        const std::size_t searched = reference::searchedPart(text).size();
        const reference::LoopOutcome loop =
            reference::replaceLoop(text, search, replacement, static_cast<int>(searched) + 1);
        const bool repeats = reference::occursInReplacement(search, replacement);
        QVERIFY2(loop.ended == (!repeats || loop.passes == 0), qPrintable(context()));

        std::string expected;
        if (loop.ended) {
            expected = loop.result;
        } else {
            ++endless;
            expected = reference::replaceEachOnce(text, search, replacement);
        }
        ReplaceStatus status = ReplaceStatus::Replaced;
        if (loop.passes == 0)
            status = ReplaceStatus::NothingFound;
        else if (expected.size() > limit)
            status = ReplaceStatus::TooLarge;

        const commands::ReplaceResult result =
            commands::replaceAllText(text, search, replacement, limit);
        QVERIFY2(result.status == status,
                 qPrintable(context() + QStringLiteral(": ") +
                            QString::fromLatin1(statusName(result.status))));
        if (status == ReplaceStatus::Replaced) {
            ++replaced;
            QVERIFY2(result.text == expected,
                     qPrintable(context() + QStringLiteral(": got ") + hex(result.text) +
                                QStringLiteral(", expected ") + hex(expected)));
        }
    }
    // The generator must reach both kinds of input, or the comparison says little.
    QVERIFY(endless > 100);
    QVERIFY(replaced > 1000);
}

// Texts of whole one-, two- and four-byte characters, with search texts and replacements of
// whole characters, as a user types them (their bytes may still meet across two characters):
// whatever Replace all does, its result is whole characters again, which the code page reads
// without a replacement character and writes back byte for byte.
void TestReplaceText::replaceAllKeepsCharactersWhole()
{
    QVERIFY(text::codePageAvailable());
    charactertexts::Generator generate(1812);
    int replaced = 0;
    for (int round = 0; round < 20000; ++round) {
        const charactertexts::Text text = generate.text(10);
        const std::string search = generate.wholeCharactersFor(text);
        const std::string replacement = generate.text(3).bytes;
        const commands::ReplaceResult result =
            commands::replaceAllText(text.bytes, search, replacement);
        if (result.status != ReplaceStatus::Replaced)
            continue;
        ++replaced;
        const QString decoded = text::fromCodePage(result.text);
        QVERIFY2(
            !decoded.contains(QChar::ReplacementCharacter) &&
                text::toCodePage(decoded) == result.text,
            qPrintable(QStringLiteral("text %1, search %2, replacement %3: %4")
                           .arg(hex(text.bytes), hex(search), hex(replacement), hex(result.text))));
    }
    QVERIFY(replaced > 1000);
}

// A megabyte of 'a', each replaced by 64 KiB: the result would take 64 GiB. The computation
// gives up as soon as the result passes the limit.
void TestReplaceText::runawayResultStopsAtTheLimit()
{
    const std::string text(1024 * 1024, 'a');
    const std::string replacement(64 * 1024, 'b');
    const commands::ReplaceResult result =
        commands::replaceAllText(text, "a", replacement, 16 * 1024 * 1024);
    QCOMPARE(statusName(result.status), statusName(ReplaceStatus::TooLarge));
    QVERIFY(result.text.empty());
}

QTEST_APPLESS_MAIN(TestReplaceText)

#include "tst_replacetext.moc"
