#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <QTest>

#include "panes/bytemap.h"
#include "text/codepage.h"

// The byte map with checkpoints answers exactly what a walk from the start answers, across soft
// breaks and characters of every length.
class ByteMapTest : public QObject
{
    Q_OBJECT

private slots:
    void checkpointsChangeNoAnswer_data();
    void checkpointsChangeNoAnswer();
    void answersMatchACharacterWalk_data();
    void answersMatchACharacterWalk();
};

namespace {

// A text of one-, two- and four-byte characters (some beyond the BMP) and line breaks.
QString randomText(std::mt19937 &random, int characters)
{
    static const QString kinds[] = {QStringLiteral("a"),  QStringLiteral("\n"),
                                    QStringLiteral("中"), QStringLiteral("외"),
                                    QStringLiteral("😀"),  QStringLiteral("𠀀")};
    QString text;
    for (int i = 0; i < characters; ++i)
        text += kinds[random() % std::size(kinds)];
    return text;
}

// Mostly ASCII: runs of letters of any length between the other kinds, so that stretches of
// ASCII end at every offset of an eight-byte word.
QString mostlyAsciiText(std::mt19937 &random, int characters)
{
    QString text;
    while (text.size() < characters) {
        text += QString(qsizetype(random() % 20), u'a');
        text += randomText(random, 1);
    }
    return text;
}

// Soft breaks every so many characters (never inside a surrogate pair), as document positions:
// each shifts the positions after it by one.
std::vector<int> softBreaksEvery(const QString &text, int every)
{
    std::vector<int> softBreaks;
    if (every <= 0)
        return softBreaks;
    int shift = 0;
    for (qsizetype i = every; i < text.size(); i += every) {
        if (text[i].isLowSurrogate())
            ++i;
        softBreaks.push_back(int(i) + shift++);
    }
    return softBreaks;
}

// A character of the text as a simple walk sees it.
struct WalkedCharacter
{
    int64_t byte;
    int64_t bytes;
    int position;
    int units;
};

std::vector<WalkedCharacter> walkCharacters(const QString &text, const std::vector<int> &softBreaks)
{
    std::vector<WalkedCharacter> walked;
    int64_t byte = 0;
    int position = 0;
    std::size_t nextBreak = 0;
    for (qsizetype i = 0; i < text.size();) {
        while (nextBreak < softBreaks.size() && softBreaks[nextBreak] == position) {
            ++position;
            ++nextBreak;
        }
        const qsizetype units = text[i].isHighSurrogate() ? 2 : 1;
        const int64_t bytes = int64_t(text::toCodePage(text.mid(i, units)).size());
        walked.push_back({byte, bytes, position, int(units)});
        byte += bytes;
        position += int(units);
        i += units;
    }
    return walked;
}

} // namespace

void ByteMapTest::answersMatchACharacterWalk_data()
{
    QTest::addColumn<int>("seed");
    QTest::addColumn<bool>("mostlyAscii");
    QTest::addColumn<int>("softBreakEvery"); // 0: none

    QTest::newRow("ascii runs") << 11 << true << 0;
    QTest::newRow("ascii runs, soft breaks every 7") << 12 << true << 7;
    QTest::newRow("ascii runs, soft breaks every 8") << 13 << true << 8;
    QTest::newRow("ascii runs, soft breaks every 9") << 14 << true << 9;
    QTest::newRow("ascii runs, soft breaks every 1000") << 15 << true << 1000;
    QTest::newRow("mixed, soft breaks every 5") << 16 << false << 5;
}

// Every look-up, from a fresh map with checkpoints, answers what a character-by-character walk
// of the text answers.
void ByteMapTest::answersMatchACharacterWalk()
{
    QFETCH(int, seed);
    QFETCH(bool, mostlyAscii);
    QFETCH(int, softBreakEvery);

    std::mt19937 random(seed);
    const QString text = mostlyAscii ? mostlyAsciiText(random, 20000) : randomText(random, 20000);
    const std::string bytes = text::toCodePage(text);
    const std::vector<int> softBreaks = softBreaksEvery(text, softBreakEvery);
    const std::vector<WalkedCharacter> walked = walkCharacters(text, softBreaks);
    const std::vector<ByteMap::Checkpoint> checkpoints = ByteMap::checkpoints(bytes, softBreaks);

    for (const WalkedCharacter &ch : walked) {
        const int64_t offset = ch.byte + int64_t(random() % ch.bytes);
        QCOMPARE(ByteMap(bytes, softBreaks, checkpoints).charStartAt(offset), ch.position);
        QCOMPARE(ByteMap(bytes, softBreaks, checkpoints).byteOffsetAt(ch.position), ch.byte);
    }
    // One map asked in ascending order, as Compare asks it.
    ByteMap ascending(bytes, softBreaks, checkpoints);
    for (std::size_t i = 0; i < walked.size(); i += 1 + random() % 30) {
        const WalkedCharacter &ch = walked[i];
        QCOMPARE(ascending.charStartAt(ch.byte), ch.position);
        QCOMPARE(ascending.charEndAt(ch.byte + ch.bytes - 1), ch.position + ch.units);
    }
}

void ByteMapTest::checkpointsChangeNoAnswer_data()
{
    QTest::addColumn<int>("seed");
    QTest::addColumn<int>("characters");
    QTest::addColumn<int>("softBreakEvery"); // 0: none

    QTest::newRow("short, no soft breaks") << 1 << 50 << 0;
    QTest::newRow("long, no soft breaks") << 2 << 40000 << 0;
    QTest::newRow("long, soft breaks") << 3 << 40000 << 1000;
    QTest::newRow("long, many soft breaks") << 4 << 30000 << 7;
}

void ByteMapTest::checkpointsChangeNoAnswer()
{
    QFETCH(int, seed);
    QFETCH(int, characters);
    QFETCH(int, softBreakEvery);

    std::mt19937 random(seed);
    const QString text = randomText(random, characters);
    const std::string bytes = text::toCodePage(text);
    // Soft breaks sit between characters: the document positions shift by one after each.
    std::vector<int> softBreaks;
    if (softBreakEvery > 0) {
        int shift = 0;
        for (qsizetype i = softBreakEvery; i < text.size(); i += softBreakEvery) {
            if (text[i].isLowSurrogate())
                ++i;
            softBreaks.push_back(int(i) + shift++);
        }
    }
    const std::vector<ByteMap::Checkpoint> checkpoints = ByteMap::checkpoints(bytes, softBreaks);
    QVERIFY(characters < 1000 || checkpoints.size() > 1);

    for (int round = 0; round < 20; ++round) {
        // An ascending series of look-ups, far apart and close together.
        std::vector<int64_t> offsets(40);
        for (int64_t &offset : offsets)
            offset = int64_t(random() % (bytes.size() + 10));
        std::sort(offsets.begin(), offsets.end());
        ByteMap walked(bytes, softBreaks);
        ByteMap jumped(bytes, softBreaks, checkpoints);
        for (int64_t offset : offsets) {
            if (random() % 2) {
                QCOMPARE(jumped.charStartAt(offset), walked.charStartAt(offset));
            } else {
                QCOMPARE(jumped.charEndAt(offset), walked.charEndAt(offset));
            }
        }
        std::vector<int> positions(40);
        const int lastPosition = int(text.size() + softBreaks.size());
        for (int &position : positions)
            position = int(random() % (lastPosition + 5));
        std::sort(positions.begin(), positions.end());
        ByteMap walkedBack(bytes, softBreaks);
        ByteMap jumpedBack(bytes, softBreaks, checkpoints);
        for (int position : positions)
            QCOMPARE(jumpedBack.byteOffsetAt(position), walkedBack.byteOffsetAt(position));
    }
}

QTEST_APPLESS_MAIN(ByteMapTest)
#include "tst_bytemap.moc"
