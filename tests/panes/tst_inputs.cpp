#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "panes/combobox.h"
#include "panes/editbox.h"
#include "text/codepage.h"

namespace {

// Types a text the way an input method delivers it: key events that carry the characters
// (QTest::keyClicks takes Latin-1 only).
void typeText(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype width = text[i].isHighSurrogate() ? 2 : 1;
        const QString character = text.mid(i, width);
        i += width - 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, character);
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace

class InputsTest : public QObject
{
    Q_OBJECT

private slots:
    void editBoxContentRoundTrip_data();
    void editBoxContentRoundTrip();
    void editBoxPasteKeepsLineBreaksAsSpaces();

    void listItems();
    void itemChosenPerGesture_data();
    void itemChosenPerGesture();
    void droppedListIsFixedHeightAndScrolls_data();
    void droppedListIsFixedHeightAndScrolls();
};

void InputsTest::editBoxContentRoundTrip_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty") << "";
    QTest::newRow("ascii") << "find me";
    QTest::newRow("spaces kept") << "  two sides  ";
    QTest::newRow("chinese") << "比较文本";
    QTest::newRow("emoji") << "a😀b";
}

void InputsTest::editBoxContentRoundTrip()
{
    QFETCH(QString, typed);
    EditBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    typeText(&box, typed);
    QCOMPARE(box.content(), text::toCodePage(typed));
    QCOMPARE(text::fromCodePage(box.content()), typed);
}

void InputsTest::editBoxPasteKeepsLineBreaksAsSpaces()
{
    EditBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QApplication::clipboard()->setText(QStringLiteral("one\ntwo\r\nthree\rfour"));
    box.paste();
    QCOMPARE(box.content(), std::string("one two three four"));
}

void InputsTest::listItems()
{
    ComboBox list;
    for (int size = 1; size <= 20; ++size)
        list.addItem(QString::number(size));
    list.addItem(QString());
    QCOMPARE(list.listIndex(), 0);
    QCOMPARE(list.itemText(0), std::string("1"));
    QCOMPARE(list.itemText(19), std::string("20"));
    QCOMPARE(list.itemText(20), std::string());
    QCOMPARE(list.itemText(-1), std::string());
    QCOMPARE(list.itemText(21), std::string());
}

void InputsTest::itemChosenPerGesture_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("fired");
    QTest::addColumn<int>("indexSeen");

    QTest::newRow("click on an item") << "click 3" << 1 << 3;
    QTest::newRow("click on the current item") << "click 0" << 1 << 0;
    QTest::newRow("enter in the dropped list") << "enter 2" << 1 << 2;
    QTest::newRow("arrow key while closed") << "down" << 1 << 1;
    QTest::newRow("escape in the dropped list") << "escape" << 0 << -1;
    QTest::newRow("click outside") << "outside" << 0 << -1;
    QTest::newRow("set by the program") << "program" << 0 << -1;
}

void InputsTest::itemChosenPerGesture()
{
    QFETCH(QString, gesture);
    QWidget window;
    window.resize(300, 300);
    auto *list = new ComboBox(&window);
    list->setGeometry(10, 10, 80, 24);
    for (int size = 1; size <= 20; ++size)
        list->addItem(QString::number(size));
    list->addItem(QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    list->setFocus();

    int indexSeen = -1;
    QSignalSpy chosen(list, &ComboBox::itemChosen);
    connect(list, &ComboBox::itemChosen, list, [&] { indexSeen = list->listIndex(); });

    QAbstractItemView *view = list->view();
    const QStringList words = gesture.split(' ');
    if (words[0] == "click" || words[0] == "enter") {
        list->showPopup();
        QTRY_VERIFY(view->isVisible());
        const QModelIndex item = list->model()->index(words[1].toInt(), 0);
        if (words[0] == "click") {
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(item).center());
        } else {
            view->setCurrentIndex(item);
            QTest::keyClick(view, Qt::Key_Return);
        }
    } else if (words[0] == "down") {
        QTest::keyClick(list, Qt::Key_Down);
    } else if (words[0] == "escape") {
        list->showPopup();
        QTRY_VERIFY(view->isVisible());
        QTest::keyClick(view, Qt::Key_Escape);
    } else if (words[0] == "outside") {
        list->showPopup();
        QTRY_VERIFY(view->isVisible());
        QWidget *popup = view->window();
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(-50, popup->height() + 50));
    } else if (words[0] == "program") {
        list->setCurrentIndex(5);
    }
    QTRY_VERIFY(!view->isVisible());
    // Delivered through the event queue, never inside the list's own handling.
    QCOMPARE(chosen.count(), 0);
    QCoreApplication::processEvents();
    QTEST(int(chosen.count()), "fired");
    QTEST(indexSeen, "indexSeen");
}

void InputsTest::droppedListIsFixedHeightAndScrolls_data()
{
    QTest::addColumn<int>("current");
    QTest::newRow("first item current") << 0;
    QTest::newRow("middle item current") << 10;
    QTest::newRow("empty last item current") << 20;
}

void InputsTest::droppedListIsFixedHeightAndScrolls()
{
    QFETCH(int, current);
    QWidget window;
    window.resize(300, 300);
    auto *list = new ComboBox(&window);
    for (int size = 1; size <= 20; ++size)
        list->addItem(QString::number(size));
    list->addItem(QString());
    list->setGeometry(10, 10, 80, list->sizeHint().height());
    list->setCurrentIndex(current);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    list->showPopup();
    QAbstractItemView *view = list->view();
    QTRY_VERIFY(view->isVisible());
    QWidget *dropped = view->window();
    // Box and list are 160 pixels tall together; the list hangs below the box, box-wide.
    QCOMPARE(list->height() + dropped->height(), 160);
    QCOMPARE(dropped->geometry().topLeft(), list->mapToGlobal(QPoint(0, list->height())));
    QCOMPARE(dropped->width(), list->width());
    // Not every row fits: the list scrolls, with the current item in view.
    QVERIFY(view->verticalScrollBar()->isVisible());
    QVERIFY(view->verticalScrollBar()->maximum() > 0);
    const QRect currentRow = view->visualRect(list->model()->index(current, 0));
    QVERIFY(view->viewport()->rect().contains(currentRow));
    // The last item can be reached by scrolling and chosen with a click.
    QSignalSpy chosen(list, &ComboBox::itemChosen);
    view->scrollToBottom();
    const QModelIndex last = list->model()->index(19, 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(last).center());
    QTRY_COMPARE(chosen.count(), 1);
    QCOMPARE(list->currentIndex(), 19);
}

QTEST_MAIN(InputsTest)
#include "tst_inputs.moc"
