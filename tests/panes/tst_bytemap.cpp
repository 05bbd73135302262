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
};

namespace {

// A text of one-, two- and four-byte characters (some beyond the BMP) and line breaks.
QString randomText(std::mt19937 &random, int characters)
{
    static const QString kinds[] = {QStringLiteral("a"), QStringLiteral("\n"),
                                    QStringLiteral("中"), QStringLiteral("외"),
                                    QStringLiteral("😀"), QStringLiteral("𠀀")};
    QString text;
    for (int i = 0; i < characters; ++i)
        text += kinds[random() % std::size(kinds)];
    return text;
}

} // namespace

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
