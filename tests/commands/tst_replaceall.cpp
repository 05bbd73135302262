#include <QTest>
#include <QTextDocument>

#include "../testing/windowfixture.h"

class ReplaceAllTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<testing::WindowFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void replacesThroughTheWindow_data();
    void replacesThroughTheWindow();
    void undoBringsTheTextBack();
    void nothingFoundWritesNothing();
    void tooLargeResultReplacesNothingAndSaysWhy();
    void findStartsOverOnlyWhenThePaneIsWritten_data();
    void findStartsOverOnlyWhenThePaneIsWritten();

private:
    std::unique_ptr<testing::WindowFixture> m_fixture;
};

void ReplaceAllTest::replacesThroughTheWindow_data()
{
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("result");

    QTest::newRow("ignoring case") << "Abc abc ABC"
                                   << "abc"
                                   << "x"
                                   << "x x x";
    QTest::newRow("chinese") << "中中文"
                             << "中"
                             << "国"
                             << "国国文";
    QTest::newRow("removal") << "a-b-c"
                             << "-"
                             << ""
                             << "abc";
    QTest::newRow("line breaks") << "a\nb\nc"
                                 << "b"
                                 << "B"
                                 << "a\nB\nc";
    QTest::newRow("replacement holds the search") << "aaa"
                                                  << "a"
                                                  << "ba"
                                                  << "bababa";
    // 'ء' is 81 31 83 33 and '외' 83 33 81 31: two of the one hold the bytes of the other.
    QTest::newRow("across two four-byte characters") << "ءء"
                                                     << "외"
                                                     << "x"
                                                     << "ءء";
    QTest::newRow("emoji") << "a😀b😀"
                           << "😀"
                           << "中"
                           << "a中b中";
    QTest::newRow("rare Han among Korean and Chinese") << "中𠀀외𠀀"
                                                       << "𠀀"
                                                       << "😁"
                                                       << "中😁외😁";
}

void ReplaceAllTest::replacesThroughTheWindow()
{
    QFETCH(QString, pane);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    m_fixture->setLeft(pane);
    m_fixture->setSearch(search);
    m_fixture->setReplacement(replacement);
    m_fixture->click("按钮5");
    QTEST(m_fixture->left(), "result");
    QVERIFY(m_fixture->messages.empty());
}

void ReplaceAllTest::undoBringsTheTextBack()
{
    m_fixture->setLeft(QStringLiteral("Abc abc ABC"));
    m_fixture->setSearch(QStringLiteral("abc"));
    m_fixture->setReplacement(QStringLiteral("x"));
    m_fixture->click("按钮5");
    QCOMPARE(m_fixture->left(), QStringLiteral("x x x"));
    RichEdit *pane = m_fixture->window->leftPane();
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_fixture->left(), QStringLiteral("Abc abc ABC"));
}

void ReplaceAllTest::nothingFoundWritesNothing()
{
    m_fixture->setLeft(QStringLiteral("abc"));
    QTextDocument *document = m_fixture->window->leftPane()->document();
    const int undoSteps = document->availableUndoSteps();
    m_fixture->setSearch(QStringLiteral("zz"));
    m_fixture->click("按钮5");
    m_fixture->setSearch(QString());
    m_fixture->click("按钮5");
    QCOMPARE(document->availableUndoSteps(), undoSteps);
    QCOMPARE(m_fixture->left(), QStringLiteral("abc"));
}

void ReplaceAllTest::tooLargeResultReplacesNothingAndSaysWhy()
{
    // 1 MiB of 'a', each replaced by 64 KiB: 64 GiB in all.
    const QString pane(1 << 20, u'a');
    m_fixture->setLeft(pane);
    m_fixture->setSearch(QStringLiteral("a"));
    m_fixture->setReplacement(QString(1 << 16, u'b'));
    m_fixture->click("按钮5");
    QCOMPARE(m_fixture->messages.size(), std::size_t(1));
    QCOMPARE(m_fixture->messages[0].caption, QStringLiteral("信息："));
    QVERIFY(m_fixture->messages[0].text.contains(QStringLiteral("没有替换")));
    QCOMPARE(m_fixture->left(), pane);
}

// The find cursor stands at 3 when Replace all runs; it goes back to 0 when Replace all writes
// the pane, and stays where it is when nothing was replaced.
void ReplaceAllTest::findStartsOverOnlyWhenThePaneIsWritten_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<int>("cursor");

    QTest::newRow("replaced") << "b"
                              << "x" << 0;
    QTest::newRow("replaced by the same text") << "b"
                                               << "b" << 0;
    QTest::newRow("four-byte replacement") << "b"
                                           << "😀" << 0;
    QTest::newRow("nothing found") << "z"
                                   << "x" << 3;
    QTest::newRow("across two four-byte characters") << "외"
                                                     << "x" << 3;
    QTest::newRow("empty search") << ""
                                  << "x" << 3;
}

void ReplaceAllTest::findStartsOverOnlyWhenThePaneIsWritten()
{
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    m_fixture->setLeft(QStringLiteral("abab ءء"));
    m_fixture->setSearch(search);
    m_fixture->setReplacement(replacement);
    m_fixture->state.findCursor = 3;
    m_fixture->click("按钮5");
    QTEST(int(m_fixture->state.findCursor), "cursor");
}

QTEST_MAIN(ReplaceAllTest)
#include "tst_replaceall.moc"
