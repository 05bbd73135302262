#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>

#include "panes/charformat.h"
#include "panes/richedit.h"
#include "text/codepage.h"

namespace {

std::string bytesOf(const QString &text)
{
    return text::toCodePage(text);
}

// The characters of the pane's live selection.
QString selectedText(const RichEdit &pane)
{
    return pane.selectionCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

CharFormat underline()
{
    CharFormat format;
    format.FontName = "\xCB\xCE\xCC\xE5";
    format.FontSize = 9;
    format.Effects = CharFormat::Underline;
    format.TextColor = CharFormat::AutomaticColor;
    return format;
}

} // namespace

class RichEditTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_pane = std::make_unique<RichEdit>(); }
    void cleanup() { m_pane.reset(); }

    void storedSelection_data();
    void storedSelection();
    void userSelectionDoesNotMoveStoredStart();
    void byteRangesSelectWholeCharacters_data();
    void byteRangesSelectWholeCharacters();
    void contextRoundTrip_data();
    void contextRoundTrip();
    void lineEndingsReadAsLineFeed();
    void emptyPaneReadsEmpty();
    void writeIsUndoable();
    void writtenTextHasDefaultFormat();
    void sizeKeepingMarkOverMergingFragments();
    void selectionHiddenWithoutFocus();
    void protectedTextRefusesEditsButNotFormats();
    void pasteInsertsPlainText();
    void longLineWrapsAnywhere();

private:
    std::unique_ptr<RichEdit> m_pane;
};

// A sequence of SelStart/SelLength writes on "abcdefghij" (10 bytes).
void RichEditTest::storedSelection_data()
{
    QTest::addColumn<QList<int>>("writes"); // pairs: 0 = SelStart, 1 = SelLength, then value
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("storedStart");
    QTest::addColumn<int>("storedLength");

    QTest::newRow("start alone leaves a caret") << QList<int>{0, 5} << 5 << 0 << 5 << 0;
    QTest::newRow("start then length") << QList<int>{0, 5, 1, 3} << 5 << 3 << 5 << 3;
    QTest::newRow("length -1 selects all") << QList<int>{1, -1} << 0 << 10 << 0 << -1;
    QTest::newRow("start after -1 still all") << QList<int>{1, -1, 0, 2} << 0 << 10 << 2 << -1;
    QTest::newRow("length after -1 from stored start")
        << QList<int>{1, -1, 0, 2, 1, 1} << 2 << 1 << 2 << 1;
    QTest::newRow("length -7 counts as -1") << QList<int>{1, -7} << 0 << 10 << 0 << -1;
    QTest::newRow("negative start counts as 0") << QList<int>{0, -2, 1, 2} << 0 << 2 << 0 << 2;
    QTest::newRow("range past the end") << QList<int>{0, 20, 1, 3} << 10 << 0 << 20 << 3;
    QTest::newRow("range over the end") << QList<int>{0, 8, 1, 5} << 8 << 2 << 8 << 5;
}

void RichEditTest::storedSelection()
{
    QFETCH(QList<int>, writes);
    m_pane->setContext("abcdefghij");
    for (qsizetype i = 0; i + 1 < writes.size(); i += 2) {
        if (writes[i] == 0)
            m_pane->setSelStart(writes[i + 1]);
        else
            m_pane->setSelLength(writes[i + 1]);
    }
    QTEST(int(m_pane->selStart()), "start");
    QTEST(int(m_pane->selLength()), "length");
    QTEST(int(m_pane->storedStart()), "storedStart");
    QTEST(int(m_pane->storedLength()), "storedLength");
}

void RichEditTest::userSelectionDoesNotMoveStoredStart()
{
    m_pane->setContext("abcdefghijklmnop");
    m_pane->setSelStart(5);
    QTextCursor cursor = m_pane->textCursor();
    cursor.setPosition(10);
    m_pane->setTextCursor(cursor); // the user clicks elsewhere
    m_pane->setSelLength(2);
    QCOMPARE(selectedText(*m_pane), QStringLiteral("fg"));
}

void RichEditTest::byteRangesSelectWholeCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("selected");

    QTest::newRow("ascii") << "abcdef" << 2 << 3 << "cde";
    QTest::newRow("chinese whole") << "中文abc" << 2 << 2 << "文";
    QTest::newRow("chinese trail byte") << "中文abc" << 1 << 1 << "中";
    QTest::newRow("chinese two halves") << "中文abc" << 1 << 2 << "中文";
    QTest::newRow("line break is one byte") << "ab\ncd" << 2 << 2 << "\nc";
    QTest::newRow("emoji is four bytes") << "a😀b" << 1 << 4 << "😀";
    QTest::newRow("emoji middle byte") << "a😀b" << 3 << 1 << "😀";
    QTest::newRow("after emoji") << "a😀b" << 5 << 1 << "b";
    QTest::newRow("four-byte BMP char") << "x€\u00A0y" << 3 << 4 << "\u00A0";
    QTest::newRow("empty range") << "中文" << 2 << 0 << "";
}

void RichEditTest::byteRangesSelectWholeCharacters()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    m_pane->setContext(bytesOf(text));
    m_pane->setSelStart(start);
    m_pane->setSelLength(length);
    QTEST(selectedText(*m_pane), "selected");
}

void RichEditTest::contextRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << "hello world";
    QTest::newRow("chinese") << "比较两段文本。";
    QTest::newRow("emoji and rare") << "😀 𠀀 \u00A0 \u20AC";
    QTest::newRow("tabs and lines") << "a\tb\n\nc\n";
    QTest::newRow("right-to-left and combining") << "\u200Fשלום e\u0301";
}

void RichEditTest::contextRoundTrip()
{
    QFETCH(QString, text);
    const std::string bytes = bytesOf(text);
    m_pane->setContext(bytes);
    QCOMPARE(m_pane->context(), bytes);
    QCOMPARE(int(m_pane->textLength()), int(bytes.size()));
    m_pane->setContext(m_pane->context());
    QCOMPARE(m_pane->context(), bytes);
}

void RichEditTest::lineEndingsReadAsLineFeed()
{
    m_pane->setContext("a\r\nb\rc\nd");
    QCOMPARE(m_pane->context(), std::string("a\nb\nc\nd"));
}

void RichEditTest::emptyPaneReadsEmpty()
{
    m_pane->setContext("abc");
    m_pane->setContext({});
    QCOMPARE(m_pane->context(), std::string());
    QCOMPARE(int(m_pane->textLength()), 0);
}

void RichEditTest::writeIsUndoable()
{
    m_pane->setContext("first");
    m_pane->setContext("second");
    m_pane->undo();
    QCOMPARE(m_pane->context(), std::string("first"));
    m_pane->setContext({});
    m_pane->undo();
    QCOMPARE(m_pane->context(), std::string("first"));
}

void RichEditTest::writtenTextHasDefaultFormat()
{
    m_pane->setContext("abc");
    m_pane->setSelStart(0);
    m_pane->setSelLength(3);
    m_pane->applyCharFormat(underline());
    m_pane->setContext("xyz");
    for (QTextBlock::iterator it = m_pane->document()->begin().begin(); !it.atEnd(); ++it) {
        QVERIFY(!it.fragment().charFormat().fontUnderline());
        QVERIFY(!it.fragment().charFormat().hasProperty(QTextFormat::ForegroundBrush));
    }
    QVERIFY(!m_pane->document()->begin().charFormat().fontUnderline());
}

void RichEditTest::sizeKeepingMarkOverMergingFragments()
{
    // A mark without a size (the size list's empty item) keeps each character's size, fragment
    // by fragment; marking one fragment makes it equal to its marked neighbours.
    CharFormat keepSize = underline();
    keepSize.FontSize = 0;
    CharFormat large = underline();
    large.FontSize = 12;
    m_pane->setContext("abcdefgh");
    const std::vector<ByteRange> scattered = {{1, 1}, {3, 1}, {5, 1}};
    m_pane->applyCharFormat(scattered, keepSize);
    const std::vector<ByteRange> third = {{2, 1}};
    m_pane->applyCharFormat(third, large);
    const std::vector<ByteRange> all = {{0, 8}};
    m_pane->applyCharFormat(all, keepSize);

    QTextCursor cursor(m_pane->document());
    for (int position = 0; position < 8; ++position) {
        cursor.setPosition(position + 1);
        QVERIFY2(cursor.charFormat().fontUnderline(), qPrintable(QString::number(position)));
        QCOMPARE(cursor.charFormat().font().pointSize(), position == 2 ? 12 : 9);
    }
}

void RichEditTest::selectionHiddenWithoutFocus()
{
    QWidget window;
    auto *pane = new RichEdit(&window);
    auto *other = new QLineEdit(&window);
    other->move(0, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    other->setFocus();
    pane->setContext("abcdef");
    pane->setSelStart(1);
    pane->setSelLength(2);
    QVERIFY(!pane->textCursor().hasSelection()); // nothing drawn
    QCOMPARE(pane->selectionCursor().selectedText(), QStringLiteral("bc"));
    pane->setFocus();
    QTRY_VERIFY(pane->hasFocus());
    QCOMPARE(pane->textCursor().selectedText(), QStringLiteral("bc"));
    other->setFocus();
    QTRY_VERIFY(!pane->hasFocus());
    QVERIFY(!pane->textCursor().hasSelection());
    QCOMPARE(int(pane->selStart()), 1);
    QCOMPARE(int(pane->selLength()), 2);
}

void RichEditTest::protectedTextRefusesEditsButNotFormats()
{
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
    m_pane->setFocus();
    m_pane->setContext("abcdef");
    CharFormat format = underline();
    format.Effects = CharFormat::Protected;
    m_pane->setSelStart(2);
    m_pane->setSelLength(2);
    m_pane->applyCharFormat(format);

    QTextCursor cursor = m_pane->textCursor();
    cursor.setPosition(3); // between the two protected characters
    m_pane->setTextCursor(cursor);
    QTest::keyClick(m_pane.get(), Qt::Key_X);
    QTest::keyClick(m_pane.get(), Qt::Key_Backspace);
    QCOMPARE(m_pane->context(), std::string("abcdef"));

    cursor.setPosition(1);
    m_pane->setTextCursor(cursor);
    QTest::keyClick(m_pane.get(), Qt::Key_Y); // outside the protected characters
    QCOMPARE(m_pane->context(), std::string("aybcdef"));

    format.Effects = CharFormat::Underline; // a format change is still allowed
    m_pane->setSelStart(3);
    m_pane->setSelLength(2);
    m_pane->applyCharFormat(format);
    cursor.setPosition(4);
    QVERIFY(cursor.charFormat().fontUnderline());
}

void RichEditTest::pasteInsertsPlainText()
{
    auto *data = new QMimeData;
    data->setHtml(QStringLiteral("<b>bold</b>"));
    data->setText(QStringLiteral("bold"));
    QApplication::clipboard()->setMimeData(data);
    m_pane->paste();
    QCOMPARE(m_pane->context(), std::string("bold"));
    QTextCursor cursor(m_pane->document());
    cursor.setPosition(2);
    QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Normal));
}

void RichEditTest::longLineWrapsAnywhere()
{
    m_pane->setContext(std::string(100000, 'x'));
    QCOMPARE(m_pane->wordWrapMode(), QTextOption::WrapAnywhere);
    m_pane->setContext("short words only");
    QCOMPARE(m_pane->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
}

QTEST_MAIN(RichEditTest)
#include "tst_richedit.moc"
