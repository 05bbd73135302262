#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "../panes/panetesting.h"
#include "../testing/windowfixture.h"

using panetesting::underlineMask;

namespace {

// One letter inserted at the start: Compare marks every position after it, aligned compare
// marks only the inserted letter.
const QString kLeft = QStringLiteral("bcd😀");
const QString kRight = QStringLiteral("abcd😀");
const QString kAlignedLeft = QStringLiteral(".....");
const QString kAlignedRight = QStringLiteral("^.....");
const QString kPositionLeft = QStringLiteral("^^^^^");
const QString kPositionRight = QStringLiteral("^^^^^^");

} // namespace

class AlignedCompareWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_fixture.reset(); }

    void f7RunsItFromEveryControl_data();
    void f7RunsItFromEveryControl();
    void clickOnCompareStaysPositionCompare();
    void compareButtonMenuOffersBothKinds_data();
    void compareButtonMenuOffersBothKinds();
    void paneContextMenuRunsIt_data();
    void paneContextMenuRunsIt();
    void ctrlZInEachPaneTakesItBack();
    void compareEditCompareMarksTheNewChange();

private:
    RichEdit *left() const { return m_fixture->window->leftPane(); }
    RichEdit *right() const { return m_fixture->window->rightPane(); }
    void verifyMasks(const QString &leftMask, const QString &rightMask) const
    {
        QCOMPARE(underlineMask(*left()), leftMask);
        QCOMPARE(underlineMask(*right()), rightMask);
    }

    // A right-click as the platform delivers it, through the window, so that the widget gets
    // its context-menu event.
    void rightClick(QWidget *widget, QPoint position) const
    {
        QWindow *window = m_fixture->window->windowHandle();
        QTest::mouseClick(window, Qt::RightButton, {},
                          widget->mapTo(m_fixture->window.get(), position));
    }

    std::unique_ptr<testing::WindowFixture> m_fixture;
};

void AlignedCompareWindowTest::init()
{
    m_fixture = std::make_unique<testing::WindowFixture>();
    QVERIFY(QTest::qWaitForWindowActive(m_fixture->window.get()));
    m_fixture->setLeft(kLeft);
    m_fixture->setRight(kRight);
}

void AlignedCompareWindowTest::f7RunsItFromEveryControl_data()
{
    QTest::addColumn<QString>("control");
    for (const char *name : {"按钮1", "按钮2", "超级编辑框1", "超级编辑框2", "颜色选择器1",
                             "组合框1", "编辑框1", "按钮3", "按钮5", "编辑框2"})
        QTest::newRow(name) << QString::fromUtf8(name);
}

void AlignedCompareWindowTest::f7RunsItFromEveryControl()
{
    QFETCH(QString, control);
    auto *widget = m_fixture->window->findChild<QWidget *>(control);
    QVERIFY(widget);
    widget->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), widget);
    QTest::keyClick(widget, Qt::Key_F7);
    verifyMasks(kAlignedLeft, kAlignedRight);
    // Typing F7 in a pane changes no text.
    QCOMPARE(m_fixture->left(), kLeft);
    QCOMPARE(m_fixture->right(), kRight);
}

void AlignedCompareWindowTest::clickOnCompareStaysPositionCompare()
{
    m_fixture->click("按钮1");
    verifyMasks(kPositionLeft, kPositionRight);
    QVERIFY(!m_fixture->window->findChild<QMenu *>(QStringLiteral("compareMenu"))->isVisible());
}

void AlignedCompareWindowTest::compareButtonMenuOffersBothKinds_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("leftMask");
    QTest::addColumn<QString>("rightMask");
    QTest::newRow("按位置比较") << 0 << kPositionLeft << kPositionRight;
    QTest::newRow("对齐比较") << 1 << kAlignedLeft << kAlignedRight;
}

void AlignedCompareWindowTest::compareButtonMenuOffersBothKinds()
{
    QFETCH(int, entry);
    QFETCH(QString, leftMask);
    QFETCH(QString, rightMask);

    QPushButton *button = m_fixture->button("按钮1");
    rightClick(button, QPoint(10, 10));
    auto *menu = m_fixture->window->findChild<QMenu *>(QStringLiteral("compareMenu"));
    QVERIFY(menu);
    QTRY_VERIFY(menu->isVisible());
    // The right-click alone compares nothing.
    verifyMasks(QStringLiteral("....."), QStringLiteral("......"));

    const QList<QAction *> entries = menu->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0]->text(), QStringLiteral("按位置比较"));
    QCOMPARE(entries[1]->text(), QStringLiteral("对齐比较"));
    QAction *chosen = entries[entry];
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
    QTRY_VERIFY(!menu->isVisible());
    verifyMasks(leftMask, rightMask);
}

void AlignedCompareWindowTest::paneContextMenuRunsIt_data()
{
    QTest::addColumn<bool>("leftPane");
    QTest::newRow("left pane") << true;
    QTest::newRow("right pane") << false;
}

void AlignedCompareWindowTest::paneContextMenuRunsIt()
{
    QFETCH(bool, leftPane);
    RichEdit *pane = leftPane ? left() : right();

    // The menu runs its own loop: it is looked at and used from a timer while it is open.
    QString seenEntries;
    bool chosen = false;
    QTimer::singleShot(50, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *action : menu->actions()) {
            if (action->isSeparator())
                seenEntries += u'|';
            else if (action->text() == QStringLiteral("对齐比较 (F7)"))
                seenEntries += u'A';
        }
        const QList<QAction *> actions = menu->actions();
        QAction *aligned = actions.isEmpty() ? nullptr : actions.last();
        if (aligned && aligned->text() == QStringLiteral("对齐比较 (F7)")) {
            // Its shortcut belongs to the window's action, so F7 is never ambiguous.
            if (aligned->shortcut().isEmpty()) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(aligned).center());
                chosen = true;
                return;
            }
        }
        menu->close();
    });
    rightClick(pane->viewport(), QPoint(20, 20));
    QTRY_VERIFY(chosen);
    QVERIFY(seenEntries.endsWith(QStringLiteral("|A")));
    QCOMPARE(seenEntries.count(u'A'), 1);
    verifyMasks(kAlignedLeft, kAlignedRight);
}

void AlignedCompareWindowTest::ctrlZInEachPaneTakesItBack()
{
    m_fixture->setLeft(QStringLiteral("one 😀 two"));
    m_fixture->setRight(QStringLiteral("one 😁 two!"));
    QTest::keyClick(m_fixture->window.get(), Qt::Key_F7);
    verifyMasks(QStringLiteral("....^^...."), QStringLiteral("....^^....^"));

    left()->setFocus();
    QTest::keyClick(left(), Qt::Key_Z, Qt::ControlModifier);
    verifyMasks(QStringLiteral(".........."), QStringLiteral("....^^....^"));
    right()->setFocus();
    QTest::keyClick(right(), Qt::Key_Z, Qt::ControlModifier);
    verifyMasks(QStringLiteral(".........."), QStringLiteral("..........."));
    QCOMPARE(m_fixture->left(), QStringLiteral("one 😀 two"));
    QCOMPARE(m_fixture->right(), QStringLiteral("one 😁 two!"));
}

void AlignedCompareWindowTest::compareEditCompareMarksTheNewChange()
{
    m_fixture->setLeft(QStringLiteral("中英文本比较"));
    m_fixture->setRight(QStringLiteral("中文本比较"));
    QTest::keyClick(m_fixture->window.get(), Qt::Key_F7);
    verifyMasks(QStringLiteral(".^...."), QStringLiteral("....."));

    // The user types an emoji at the end of the right pane and compares again: the new
    // character is marked and the earlier mark stays.
    right()->setFocus();
    QTest::keyClick(right(), Qt::Key_End, Qt::ControlModifier);
    QTest::sendKeyEvent(QTest::Click, right(), Qt::Key_unknown, QStringLiteral("😀"),
                        Qt::NoModifier);
    QCOMPARE(m_fixture->right(), QStringLiteral("中文本比较😀"));
    QTest::keyClick(right(), Qt::Key_F7);
    verifyMasks(QStringLiteral(".^...."), QStringLiteral(".....^^"));

    // One Ctrl+Z in the right pane takes the second run's mark back, and the emoji stays.
    QTest::keyClick(right(), Qt::Key_Z, Qt::ControlModifier);
    verifyMasks(QStringLiteral(".^...."), QStringLiteral("......."));
    QCOMPARE(m_fixture->right(), QStringLiteral("中文本比较😀"));
}

QTEST_MAIN(AlignedCompareWindowTest)
#include "tst_alignedcomparewindow.moc"
