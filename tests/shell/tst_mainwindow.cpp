#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "panes/richedit.h"
#include "shell/appstate.h"
#include "shell/mainwindow.h"

namespace {

// The controls from the top of the stack down.
const QStringList kStackOrder = {
    "标签6",   "编辑框2", "按钮5", "按钮3",       "标签5",       "编辑框1",     "标签4", "标签3",
    "组合框1", "标签2",   "标签1", "颜色选择器1", "超级编辑框2", "超级编辑框1", "按钮2", "按钮1"};

const QStringList kTabOrder = {"按钮1",   "按钮2",   "超级编辑框1", "超级编辑框2", "颜色选择器1",
                               "组合框1", "编辑框1", "按钮3",       "按钮5",       "编辑框2"};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowSettings();
    void controlsAtTheirPlaces_data();
    void controlsAtTheirPlaces();
    void stackingOrder();
    void focusStartsOnCompare();
    void tabCyclesBothWays();
    void tabInPaneMovesFocus();
    void escapeClosesFromEveryControl_data();
    void escapeClosesFromEveryControl();
    void escapeInDroppedListClosesOnlyTheList();
    void enterAndSpaceOnButton();
    void enterInPaneStartsNewLine();
    void arrowKeysStayOnButton_data();
    void arrowKeysStayOnButton();
    void escapeWhileSpaceHoldsButtonCloses();
    void labelCoversEditBoxInFaceColour();

private:
    QWidget *control(const QString &name) const { return m_window->findChild<QWidget *>(name); }

    AppState m_state;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowTest::init()
{
    m_state.highlight = createHighlightFormat();
    m_state.findCursor = 0;
    m_window = std::make_unique<MainWindow>(m_state);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void MainWindowTest::cleanup()
{
    m_window.reset();
}

void MainWindowTest::windowSettings()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("文本比较1.0      BY:Quorvel ID：Orrindel"));
    QCOMPARE(m_window->size(), QSize(791, 273));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!m_window->windowIcon().isNull());
}

void MainWindowTest::controlsAtTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QString>("text");

    QTest::newRow("标签6") << "标签6" << QRect(472, 248, 80, 16) << "替换的文本：";
    QTest::newRow("编辑框2") << "编辑框2" << QRect(552, 244, 120, 24) << "";
    QTest::newRow("按钮5") << "按钮5" << QRect(699, 241, 64, 32) << "替换";
    QTest::newRow("按钮3") << "按钮3" << QRect(305, 241, 103, 32) << "查找/下一个";
    QTest::newRow("标签5") << "标签5" << QRect(0, 248, 112, 16) << "欲查找/替换的文本：";
    QTest::newRow("编辑框1") << "编辑框1" << QRect(111, 245, 192, 24) << "";
    QTest::newRow("标签4") << "标签4" << QRect(504, 0, 240, 24) << "比较的文本";
    QTest::newRow("标签3") << "标签3" << QRect(96, 0, 152, 24) << "欲比较的文本";
    QTest::newRow("组合框1") << "组合框1" << QRect(355, 72, 80, -1) << "1";
    QTest::newRow("标签2") << "标签2" << QRect(361, 48, 60, 24) << "字体大小";
    QTest::newRow("标签1") << "标签1" << QRect(362, 0, 60, 24) << "字体颜色";
    QTest::newRow("颜色选择器1") << "颜色选择器1" << QRect(355, 24, 80, 24) << "";
    QTest::newRow("超级编辑框2") << "超级编辑框2" << QRect(436, 24, 355, 216) << "";
    QTest::newRow("超级编辑框1") << "超级编辑框1" << QRect(-1, 24, 355, 216) << "";
    QTest::newRow("按钮2") << "按钮2" << QRect(355, 102, 80, 64) << "清       空";
    QTest::newRow("按钮1") << "按钮1" << QRect(355, 175, 80, 64) << "比       较";
}

void MainWindowTest::controlsAtTheirPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QFETCH(QString, text);
    QWidget *widget = control(name);
    QVERIFY2(widget, qPrintable(name));
    QVERIFY(widget->isVisible());
    QVERIFY(widget->isEnabled());
    QCOMPARE(widget->pos(), rect.topLeft());
    QCOMPARE(widget->width(), rect.width());
    if (rect.height() > 0)
        QCOMPARE(widget->height(), rect.height());
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), text);
    else if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), text);
    else if (auto *list = qobject_cast<QComboBox *>(widget))
        QCOMPARE(list->currentText(), text);
    else if (auto *pane = qobject_cast<RichEdit *>(widget))
        QVERIFY(pane->context().empty() && !pane->isReadOnly());
}

void MainWindowTest::stackingOrder()
{
    QStringList fromBottom;
    for (QObject *child : m_window->children()) {
        if (auto *widget = qobject_cast<QWidget *>(child);
            widget && kStackOrder.contains(widget->objectName()))
            fromBottom.prepend(widget->objectName());
    }
    QCOMPARE(fromBottom, kStackOrder);
    // The one overlap: 标签5 lies over 编辑框1 at x = 111.
    QCOMPARE(m_window->childAt(111, 255)->objectName(), QStringLiteral("标签5"));
}

void MainWindowTest::focusStartsOnCompare()
{
    QTRY_COMPARE(QApplication::focusWidget(), control("按钮1"));
}

void MainWindowTest::tabCyclesBothWays()
{
    control("按钮1")->setFocus();
    QStringList visited;
    for (int i = 0; i < kTabOrder.size(); ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, kTabOrder);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("按钮1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("编辑框2"));
}

void MainWindowTest::tabInPaneMovesFocus()
{
    auto *pane = static_cast<RichEdit *>(control("超级编辑框1"));
    pane->setFocus();
    QTest::keyClicks(pane, "ab");
    QTest::keyClick(pane, Qt::Key_Tab);
    QCOMPARE(pane->context(), std::string("ab"));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("超级编辑框2"));
}

void MainWindowTest::escapeClosesFromEveryControl_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : kTabOrder)
        QTest::newRow(name.toUtf8().constData()) << name;
}

void MainWindowTest::escapeClosesFromEveryControl()
{
    QFETCH(QString, name);
    QWidget *widget = control(name);
    widget->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), widget);
    QTest::keyClick(widget, Qt::Key_Escape);
    QTRY_VERIFY(!m_window->isVisible());
}

void MainWindowTest::escapeInDroppedListClosesOnlyTheList()
{
    auto *list = static_cast<QComboBox *>(control("组合框1"));
    list->setFocus();
    list->showPopup();
    QWidget *popup = list->view()->window();
    QTRY_VERIFY(popup->isVisible());
    QTest::keyClick(list->view(), Qt::Key_Escape);
    QTRY_VERIFY(!popup->isVisible());
    QVERIFY(m_window->isVisible());
}

void MainWindowTest::enterAndSpaceOnButton()
{
    auto *button = static_cast<QPushButton *>(control("按钮2"));
    QSignalSpy clicked(button, &QPushButton::clicked);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter);
    QCOMPARE(clicked.count(), 0);
    QTest::keyClick(button, Qt::Key_Space);
    QCOMPARE(clicked.count(), 1);
}

void MainWindowTest::enterInPaneStartsNewLine()
{
    auto *pane = static_cast<RichEdit *>(control("超级编辑框1"));
    pane->setFocus();
    QTest::keyClicks(pane, "a");
    QTest::keyClick(pane, Qt::Key_Return);
    QTest::keyClicks(pane, "b");
    QCOMPARE(pane->context(), std::string("a\nb"));
}

void MainWindowTest::arrowKeysStayOnButton_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("key");
    const std::pair<const char *, Qt::Key> keys[] = {{"Up", Qt::Key_Up},
                                                     {"Down", Qt::Key_Down},
                                                     {"Left", Qt::Key_Left},
                                                     {"Right", Qt::Key_Right}};
    for (const char *name : {"按钮1", "按钮2", "按钮3", "按钮5"}) {
        for (const auto &[keyName, key] : keys)
            QTest::addRow("%s %s", name, keyName) << QString::fromUtf8(name) << int(key);
    }
}

void MainWindowTest::arrowKeysStayOnButton()
{
    QFETCH(QString, name);
    QFETCH(int, key);
    auto *button = static_cast<QPushButton *>(control(name));
    QSignalSpy clicked(button, &QPushButton::clicked);
    button->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), button);
    QTest::keyClick(button, Qt::Key(key));
    QTest::keyClick(button, Qt::Key(key));
    QCOMPARE(QApplication::focusWidget(), button);
    QCOMPARE(clicked.count(), 0);
    QVERIFY(m_window->isVisible());
}

void MainWindowTest::escapeWhileSpaceHoldsButtonCloses()
{
    auto *button = static_cast<QPushButton *>(control("按钮2"));
    QSignalSpy clicked(button, &QPushButton::clicked);
    button->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), button);
    QTest::keyPress(button, Qt::Key_Space);
    QVERIFY(button->isDown());
    QTest::keyClick(button, Qt::Key_Escape);
    QTRY_VERIFY(!m_window->isVisible());
    QVERIFY(!button->isDown());
    QTest::keyRelease(button, Qt::Key_Space);
    QCOMPARE(clicked.count(), 0);
}

void MainWindowTest::labelCoversEditBoxInFaceColour()
{
    // The one overlap: the column x = 111 of 标签5 over the left edge of 编辑框1.
    const QImage image = m_window->grab().toImage();
    const QColor face = m_window->palette().color(QPalette::Button);
    for (int y = 248; y <= 263; ++y)
        QCOMPARE(image.pixelColor(111, y), face);
    // Just right of the label the edit box shows its own frame and field.
    QVERIFY(image.pixelColor(112, 256) != face);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
