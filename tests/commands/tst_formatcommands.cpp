#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTest>

#include "../panes/panetesting.h"
#include "../testing/windowfixture.h"
#include "commands/fontcolor.h"
#include "commands/fontsize.h"
#include "panes/colorpicker.h"
#include "panes/combobox.h"

using panetesting::formatAt;

namespace {

class FixedList : public ItemList
{
public:
    explicit FixedList(std::vector<std::string> items, int32_t current)
        : m_items(std::move(items)), m_current(current)
    {
    }
    int32_t listIndex() const override { return m_current; }
    std::string itemText(int32_t index) const override
    {
        return index >= 0 && std::size_t(index) < m_items.size() ? m_items[index] : std::string();
    }

private:
    std::vector<std::string> m_items;
    int32_t m_current;
};

} // namespace

class FormatCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<testing::WindowFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void fontSizeFromItemText_data();
    void fontSizeFromItemText();
    void chosenSizeReachesLaterMarksOnly();
    void emptyItemKeepsMarkedTextReadable();
    void chosenColourReachesLaterMarks_data();
    void chosenColourReachesLaterMarks();
    void startValuesBeforeAnyChoice();
    void clearEmptiesBothPanesOnly();

private:
    void chooseSize(int index)
    {
        ComboBox *list = m_fixture->window->sizeList();
        list->showPopup();
        QAbstractItemView *view = list->view();
        QTRY_VERIFY(view->isVisible());
        const QModelIndex item = list->model()->index(index, 0);
        view->scrollTo(item);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
        QTRY_COMPARE(m_fixture->state.highlight->FontSize, index < 20 ? index + 1 : 0);
    }
    void compareAbcdWithAxcd()
    {
        m_fixture->setLeft(QStringLiteral("abcd"));
        m_fixture->setRight(QStringLiteral("aXcd"));
        m_fixture->click("按钮1");
    }

    std::unique_ptr<testing::WindowFixture> m_fixture;
};

void FormatCommandsTest::fontSizeFromItemText_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("size");
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("20") << "20" << 20;
    QTest::newRow("empty item") << "" << 0;
    QTest::newRow("fraction truncates") << "12.9" << 12;
    QTest::newRow("negative truncates toward zero") << "-3.7" << -3;
    QTest::newRow("low 32 bits") << "4294967308" << 12;
    QTest::newRow("beyond 64 bits") << "1e30" << 0;
}

void FormatCommandsTest::fontSizeFromItemText()
{
    QFETCH(QString, item);
    CharFormat highlight;
    commands::chooseFontSize(FixedList({item.toStdString()}, 0), highlight);
    QTEST(int(highlight.FontSize), "size");
    commands::chooseFontSize(FixedList({item.toStdString()}, -1), highlight);
    QCOMPARE(highlight.FontSize, 0); // no current item reads as the empty item
}

void FormatCommandsTest::chosenSizeReachesLaterMarksOnly()
{
    compareAbcdWithAxcd();
    chooseSize(11); // "12"
    QCOMPARE(formatAt(*m_fixture->window->leftPane(), 1).fontPointSize(), 9.0);
    m_fixture->setRight(QStringLiteral("aXcY"));
    m_fixture->click("按钮1");
    for (RichEdit *pane : {m_fixture->window->leftPane(), m_fixture->window->rightPane()}) {
        QCOMPARE(formatAt(*pane, 1).fontPointSize(), 12.0);
        QCOMPARE(formatAt(*pane, 3).fontPointSize(), 12.0);
        QVERIFY(formatAt(*pane, 3).fontUnderline());
        QVERIFY(!formatAt(*pane, 2).fontUnderline());
    }
}

void FormatCommandsTest::emptyItemKeepsMarkedTextReadable()
{
    chooseSize(20);
    QCOMPARE(m_fixture->state.highlight->FontSize, 0);
    compareAbcdWithAxcd();
    const QTextCharFormat marked = formatAt(*m_fixture->window->leftPane(), 1);
    QVERIFY(marked.fontUnderline());
    QVERIFY(marked.font().pointSizeF() > 0);
}

void FormatCommandsTest::chosenColourReachesLaterMarks_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<QColor>("color");
    QTest::newRow("red") << 12 << QColor(255, 0, 0);
    QTest::newRow("black is explicit") << 0 << QColor(0, 0, 0);
    QTest::newRow("sky blue") << 25 << QColor(0, 136, 255);
}

void FormatCommandsTest::chosenColourReachesLaterMarks()
{
    QFETCH(int, cell);
    QFETCH(QColor, color);
    ColorPicker *picker = m_fixture->window->colorPicker();
    QTest::mouseClick(picker, Qt::LeftButton);
    auto *popup = m_fixture->window->findChild<ColorPopup *>();
    QVERIFY(popup);
    QTRY_VERIFY(popup->isVisible());
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->cellRect(cell).center());
    QTRY_VERIFY(!popup->isVisible());

    compareAbcdWithAxcd();
    const QTextCharFormat marked = formatAt(*m_fixture->window->leftPane(), 1);
    QVERIFY(marked.hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(marked.foreground().color(), color);
}

void FormatCommandsTest::startValuesBeforeAnyChoice()
{
    const CharFormat &highlight = *m_fixture->state.highlight;
    QCOMPARE(highlight.FontName, std::string("\xCB\xCE\xCC\xE5"));
    QCOMPARE(highlight.FontSize, 9);
    QCOMPARE(highlight.Offset, 0);
    QCOMPARE(highlight.Effects, 0u);
    QCOMPARE(highlight.TextColor, CharFormat::AutomaticColor);
    QCOMPARE(m_fixture->window->sizeList()->currentText(), QStringLiteral("1"));
    QCOMPARE(m_fixture->window->colorPicker()->color(), 0u);
    QCOMPARE(m_fixture->state.findCursor, 0);

    compareAbcdWithAxcd();
    const QTextCharFormat marked = formatAt(*m_fixture->window->leftPane(), 1);
    QCOMPARE(marked.fontPointSize(), 9.0);
    QVERIFY(!marked.hasProperty(QTextFormat::ForegroundBrush));
}

void FormatCommandsTest::clearEmptiesBothPanesOnly()
{
    m_fixture->setLeft(QStringLiteral("left text"));
    m_fixture->setRight(QStringLiteral("right text"));
    m_fixture->setSearch(QStringLiteral("find"));
    m_fixture->setReplacement(QStringLiteral("with"));
    m_fixture->state.findCursor = 3;
    m_fixture->click("按钮2");
    QCOMPARE(m_fixture->left(), QString());
    QCOMPARE(m_fixture->right(), QString());
    QCOMPARE(m_fixture->window->searchBox()->text(), QStringLiteral("find"));
    QCOMPARE(m_fixture->window->replacementBox()->text(), QStringLiteral("with"));
    QCOMPARE(m_fixture->state.findCursor, 0); // Find next starts again from the top
    QCOMPARE(m_fixture->window->sizeList()->currentIndex(), 0);

    RichEdit *pane = m_fixture->window->rightPane();
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_fixture->right(), QStringLiteral("right text"));
}

QTEST_MAIN(FormatCommandsTest)
#include "tst_formatcommands.moc"
