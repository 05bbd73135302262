#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextDocument>

#include "../panes/panetesting.h"
#include "../testing/windowfixture.h"

// Whatever the user pastes or types, the program keeps working and loses no text.
class HostileInputTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<testing::WindowFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void oddCharactersSurviveReadAndWrite_data();
    void oddCharactersSurviveReadAndWrite();
    void textAfterZeroByteIsKeptByReplaceAll();
    void hugeSearchAndReplacementTexts();
    void searchLongerThanThePane();
    void fiftyMebibytePasteStillAnswers();

private:
    void paste(RichEdit *pane, const QString &text)
    {
        pane->setFocus();
        QApplication::clipboard()->setText(text);
        pane->paste();
    }

    std::unique_ptr<testing::WindowFixture> m_fixture;
};

void HostileInputTest::oddCharactersSurviveReadAndWrite_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::newRow("zero character") << QStringLiteral("before") + QChar(0) + "after";
    QTest::newRow("lone surrogates") << QString("a") + QChar(0xD800) + "b" + QChar(0xDC00) + "c";
    QTest::newRow("right-to-left marks") << QStringLiteral("\u200Fאב\u200E12\u202Bx\u202C");
    QTest::newRow("combining") << QStringLiteral("e\u0301a\u0308\u0323");
    QTest::newRow("mixed line ends and tabs") << QStringLiteral("a\tb\r\nc\rd\ne\t");
}

void HostileInputTest::oddCharactersSurviveReadAndWrite()
{
    QFETCH(QString, pasted);
    RichEdit *pane = m_fixture->window->leftPane();
    paste(pane, pasted);
    const QString shown = pane->document()->toRawText();
    const std::string bytes = pane->context();
    pane->setContext(bytes);
    QCOMPARE(pane->context(), bytes);
    // What the user sees is the same, character for character; a lone surrogate, which no
    // code page can hold, shows as the replacement character both times.
    QString expected = shown;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (expected[i].isSurrogate() &&
            !(expected[i].isHighSurrogate() && i + 1 < expected.size() &&
              expected[i + 1].isLowSurrogate()) &&
            !(expected[i].isLowSurrogate() && i > 0 && expected[i - 1].isHighSurrogate()))
            expected[i] = QChar::ReplacementCharacter;
    }
    QString after = pane->document()->toRawText();
    QCOMPARE(after.size(), expected.size());
    for (qsizetype i = 0; i < after.size(); ++i) {
        if (expected[i] != QChar::ReplacementCharacter)
            QCOMPARE(after[i], expected[i]);
    }
}

void HostileInputTest::textAfterZeroByteIsKeptByReplaceAll()
{
    m_fixture->setLeft(QStringLiteral("ab") + QChar(0) + "ab");
    m_fixture->setSearch(QStringLiteral("b"));
    m_fixture->setReplacement(QStringLiteral("X"));
    m_fixture->click("按钮5");
    QCOMPARE(m_fixture->left(), QStringLiteral("aX") + QChar(0) + "ab");
}

void HostileInputTest::hugeSearchAndReplacementTexts()
{
    const QString big(100 * 1024, u'q');
    m_fixture->setLeft(QStringLiteral("start ") + big + " end");
    m_fixture->setSearch(big);
    m_fixture->setReplacement(QString(100 * 1024, u'r'));
    m_fixture->click("按钮3");
    QCOMPARE(m_fixture->state.findCursor, 7);
    m_fixture->click("按钮5");
    QCOMPARE(m_fixture->left(), QStringLiteral("start ") + QString(100 * 1024, u'r') + " end");
}

void HostileInputTest::searchLongerThanThePane()
{
    m_fixture->setLeft(QStringLiteral("short"));
    m_fixture->setSearch(QStringLiteral("short but longer"));
    m_fixture->click("按钮3");
    QCOMPARE(m_fixture->state.findCursor, 0);
    QCOMPARE(m_fixture->messages.size(), std::size_t(1));
    m_fixture->click("按钮5");
    QCOMPARE(m_fixture->left(), QStringLiteral("short"));
    QCOMPARE(panetesting::underlineMask(*m_fixture->window->leftPane()), QStringLiteral("....."));
}

void HostileInputTest::fiftyMebibytePasteStillAnswers()
{
    QString line = QStringLiteral("lorem ipsum dolor sit amet 比较文本 consectetur adipiscing\n");
    QString text;
    const qsizetype target = qsizetype(50) << 20;
    text.reserve(target / 2);
    while (text::toCodePage(text).size() < std::size_t(target)) // grows in large steps
        text += QString(line).repeated(100000);
    RichEdit *left = m_fixture->window->leftPane();
    paste(left, text);
    QVERIFY(left->textLength() >= target);
    m_fixture->setRight(QStringLiteral("lorem IPSUM"));
    m_fixture->click("按钮1");
    QCOMPARE(panetesting::underlineMask(*m_fixture->window->rightPane()).left(11),
             QStringLiteral("......^^^^^"));
    m_fixture->setSearch(QStringLiteral("amet"));
    m_fixture->setReplacement(QStringLiteral("AMET"));
    m_fixture->click("按钮5");
    QVERIFY(m_fixture->messages.empty());
    QVERIFY(left->context().substr(0, 40).find("AMET") != std::string::npos);
    m_fixture->window->close();
    QVERIFY(!m_fixture->window->isVisible());
}

QTEST_MAIN(HostileInputTest)
#include "tst_hostileinput.moc"
