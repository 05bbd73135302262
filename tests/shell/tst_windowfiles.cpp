#include <memory>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "../testing/windowfixture.h"
#include "commands/differences.h"
#include "commands/filecommands.h"

namespace {

// Answers the save dialog with a fixed path; opening is not asked for here.
class SaveTo : public commands::FileUser
{
public:
    explicit SaveTo(const QString &path) : m_path(path) {}
    QString fileToOpen(const QString &) override { return {}; }
    QString fileToSave(const QString &) override { return m_path; }
    void fileProblem(const QString &message) override { problems << message; }

    QStringList problems;

private:
    QString m_path;
};

bool writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void drop(RichEdit *pane, QMimeData *data)
{
    const QPoint middle = pane->viewport()->rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pane->viewport(), &enter);
    QDropEvent dropped(middle, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pane->viewport(), &dropped);
}

// Numbered lines, with "LINE" in place of "line" where the number is in changed.
QString lines(int count, std::initializer_list<int> changed = {})
{
    QString text;
    for (int i = 0; i < count; ++i) {
        const bool differs = std::find(changed.begin(), changed.end(), i) != changed.end();
        text += (differs ? QStringLiteral("LINE ") : QStringLiteral("line ")) + QString::number(i) +
                u'\n';
    }
    return text;
}

} // namespace

class TestWindowFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void contextMenusListFileAndMoveActions_data();
    void contextMenusListFileAndMoveActions();
    void filesNamedAtStartLoadWithoutCompare();
    void fileThatCannotLoadIsReportedInTheBox();
    void droppedFileLoadsIntoThatPane_data();
    void droppedFileLoadsIntoThatPane();
    void droppedTextIsInsertedAsBefore();
    void emptiedPaneSavesANewText();
    void keysMoveInThePaneLastFocused();
    void paneMenuMovesInThatPane();
    void f8FollowsAlignedCompareUntilCompare();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromUtf8(name)); }
    RichEdit *pane(bool right) const
    {
        return right ? m_fixture->window->rightPane() : m_fixture->window->leftPane();
    }

    std::unique_ptr<testing::WindowFixture> m_fixture;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestWindowFiles::init()
{
    m_fixture = std::make_unique<testing::WindowFixture>();
    QVERIFY(QTest::qWaitForWindowActive(m_fixture->window.get()));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestWindowFiles::cleanup()
{
    m_fixture.reset();
    m_dir.reset();
}

void TestWindowFiles::contextMenusListFileAndMoveActions_data()
{
    QTest::addColumn<bool>("right");
    QTest::newRow("left pane") << false;
    QTest::newRow("right pane") << true;
}

void TestWindowFiles::contextMenusListFileAndMoveActions()
{
    QFETCH(bool, right);

    QStringList texts;
    bool separatorBefore = false;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        const QList<QAction *> actions = menu->actions();
        for (QAction *action : actions)
            texts << action->text();
        const qsizetype first = texts.indexOf(QStringLiteral("打开文件…"));
        for (qsizetype i = 0; i < first; ++i)
            separatorBefore = separatorBefore || actions[i]->isSeparator();
        texts = texts.mid(first, 4);
        menu->close();
    });
    RichEdit *target = pane(right);
    const QPoint middle = target->viewport()->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, middle,
                            target->viewport()->mapToGlobal(middle));
    QApplication::sendEvent(target->viewport(), &event);

    QCOMPARE(texts,
             (QStringList{"打开文件…", "另存为…", "下一处差异 (F8)", "上一处差异 (Shift+F8)"}));
    QVERIFY(separatorBefore);
    // The keys belong to the window alone, so that F8 is never ambiguous.
    for (QAction *action : target->actions())
        QVERIFY(action->shortcut().isEmpty());
}

void TestWindowFiles::filesNamedAtStartLoadWithoutCompare()
{
    QVERIFY(writeFile(path("left.txt"), "abc\r\n\xD6\xD0"));
    QVERIFY(writeFile(path("right.txt"), "\xEF\xBB\xBF"
                                         "abd\n中"));
    m_fixture->window->openFiles({path("left.txt"), path("right.txt")});
    QCOMPARE(m_fixture->left(), QStringLiteral("abc\n中"));
    QCOMPARE(m_fixture->right(), QStringLiteral("abd\n中"));
    QVERIFY(pane(false)->markedRanges().empty());
    QVERIFY(pane(true)->markedRanges().empty());
    QVERIFY(m_fixture->messages.empty());
}

void TestWindowFiles::fileThatCannotLoadIsReportedInTheBox()
{
    m_fixture->setLeft(QStringLiteral("kept"));
    QVERIFY(writeFile(path("right.txt"), "right"));
    m_fixture->window->openFiles({path("missing.txt"), path("right.txt")});
    QCOMPARE(m_fixture->messages.size(), std::size_t(1));
    QCOMPARE(m_fixture->messages[0].caption, QStringLiteral("信息："));
    QCOMPARE(m_fixture->messages[0].text,
             QStringLiteral("无法打开“%1”：文件不存在。").arg(path("missing.txt")));
    QCOMPARE(m_fixture->left(), QStringLiteral("kept"));
    QCOMPARE(m_fixture->right(), QStringLiteral("right"));
}

void TestWindowFiles::droppedFileLoadsIntoThatPane_data()
{
    QTest::addColumn<bool>("right");
    QTest::newRow("on the left pane") << false;
    QTest::newRow("on the right pane") << true;
}

void TestWindowFiles::droppedFileLoadsIntoThatPane()
{
    QFETCH(bool, right);

    m_fixture->setLeft(QStringLiteral("left before"));
    m_fixture->setRight(QStringLiteral("right before"));
    QVERIFY(writeFile(path("dropped.txt"), QByteArray("\xFF\xFE"
                                                      "d\0\r\0\n\0=\xD8\0\xDE",
                                                      12)));
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path("dropped.txt"))});
    data->setText(path("dropped.txt")); // file managers often add the path as text
    drop(pane(right), data);
    delete data;

    const QString loaded = QStringLiteral("d\n😀");
    QCOMPARE(m_fixture->right(), right ? loaded : QStringLiteral("right before"));
    QCOMPARE(m_fixture->left(), right ? QStringLiteral("left before") : loaded);
    QVERIFY(m_fixture->messages.empty());

    // Saved again, it is the same UTF-16 file.
    m_fixture->window->setFileUser(std::make_unique<SaveTo>(path("saved.txt")));
    pane(right)->findChild<QAction *>(QStringLiteral("saveFileAction"))->trigger();
    QCOMPARE(contentsOf(path("saved.txt")), contentsOf(path("dropped.txt")));
}

void TestWindowFiles::droppedTextIsInsertedAsBefore()
{
    auto data = std::make_unique<QMimeData>();
    data->setText(QStringLiteral("dropped text"));
    drop(pane(false), data.get());
    QCOMPARE(m_fixture->left(), QStringLiteral("dropped text"));
    QVERIFY(m_fixture->messages.empty());
}

void TestWindowFiles::emptiedPaneSavesANewText()
{
    QVERIFY(writeFile(path("gb.txt"), "\xD6\xD0\r\n"));
    m_fixture->window->openFiles({path("gb.txt")});
    auto user = std::make_unique<SaveTo>(path("out.txt"));
    SaveTo *saveTo = user.get();
    m_fixture->window->setFileUser(std::move(user));
    QAction *save = pane(false)->findChild<QAction *>(QStringLiteral("saveFileAction"));

    save->trigger();
    QCOMPARE(contentsOf(path("out.txt")), QByteArray("\xD6\xD0\r\n"));

    // Clear, then a new text typed: it is saved as UTF-8 with LF.
    m_fixture->click("按钮2");
    pane(false)->setFocus();
    QTest::keyClicks(pane(false), QStringLiteral("ab"));
    QTest::keyClick(pane(false), Qt::Key_Return);
    QTest::keyClicks(pane(false), QStringLiteral("cd"));
    save->trigger();
    QCOMPARE(contentsOf(path("out.txt")), QByteArray("ab\ncd"));
    QCOMPARE(saveTo->problems, QStringList());
}

void TestWindowFiles::keysMoveInThePaneLastFocused()
{
    m_fixture->setLeft(lines(100));
    m_fixture->setRight(lines(100, {10, 80}));
    m_fixture->click("按钮1");
    const int32_t first = pane(false)->context().find("line 10\n");
    const int32_t second = pane(false)->context().find("line 80\n");
    QPushButton *compare = m_fixture->button("按钮1");
    QCOMPARE(QApplication::focusWidget(), compare);

    // No pane has had the focus yet: the keys move in the left one.
    QTest::keyClick(compare, Qt::Key_F8);
    QCOMPARE(pane(false)->selection(), (ByteRange{first, 4}));
    QCOMPARE(QApplication::focusWidget(), compare);
    QTest::keyClick(compare, Qt::Key_F8);
    QCOMPARE(pane(false)->selection(), (ByteRange{second, 4}));

    // The right pane had the focus last.
    pane(true)->setFocus();
    QTest::keyClick(pane(true), Qt::Key_Home, Qt::ControlModifier);
    compare->setFocus();
    QTest::keyClick(compare, Qt::Key_F8, Qt::ShiftModifier);
    QCOMPARE(pane(true)->selection(), (ByteRange{second, 4}));
    QCOMPARE(pane(false)->selection(), (ByteRange{second, 4}));
    QCOMPARE(QApplication::focusWidget(), compare);

    // In the focused pane the selection shows.
    pane(true)->setFocus();
    QTest::keyClick(pane(true), Qt::Key_F8);
    QCOMPARE(pane(true)->textCursor().selectionStart(), first);
    QCOMPARE(pane(true)->textCursor().selectionEnd(), first + 4);
}

void TestWindowFiles::paneMenuMovesInThatPane()
{
    m_fixture->setLeft(QStringLiteral("same same"));
    m_fixture->setRight(QStringLiteral("same SAME"));
    m_fixture->click("按钮1");
    pane(true)->setSelStart(0);
    pane(true)->setSelLength(0);
    pane(true)->findChild<QAction *>(QStringLiteral("nextDifferenceAction"))->trigger();
    QCOMPARE(pane(true)->selection(), (ByteRange{5, 4}));
    pane(true)->findChild<QAction *>(QStringLiteral("previousDifferenceAction"))->trigger();
    QCOMPARE(pane(true)->selection(), (ByteRange{5, 4}));

    // Without marks nothing moves.
    m_fixture->click("按钮2");
    m_fixture->setLeft(QStringLiteral("plain"));
    pane(false)->setSelStart(2);
    pane(false)->setSelLength(1);
    pane(false)->findChild<QAction *>(QStringLiteral("nextDifferenceAction"))->trigger();
    QCOMPARE(pane(false)->selection(), (ByteRange{2, 1}));
}

void TestWindowFiles::f8FollowsAlignedCompareUntilCompare()
{
    // Forty lines inserted at the top of the right text, line 150 changed: after F7, F8 in the
    // left pane takes the right pane to the changed line's aligned place, forty lines further.
    m_fixture->setLeft(lines(200, {150}));
    m_fixture->setRight(QStringLiteral("new\n").repeated(40) + lines(200));
    QPushButton *compare = m_fixture->button("按钮1");
    compare->setFocus();
    QTest::keyClick(compare, Qt::Key_F7);
    commands::DifferenceNavigator &navigator = m_fixture->window->differenceNavigator();
    QCOMPARE(navigator.alignedPairs().size(), std::size_t(2));

    const int32_t changed = int32_t(pane(false)->context().find("LINE 150"));
    const int32_t aligned = changed + 40 * 4;
    QTest::keyClick(compare, Qt::Key_F8);
    QCOMPARE(pane(false)->selection().start, changed);
    QTextCursor cursor(pane(true)->document());
    cursor.setPosition(aligned); // one byte per character here, no soft breaks
    const QRect place = pane(true)->cursorRect(cursor);
    QVERIFY(place.top() >= 0 && place.bottom() <= pane(true)->viewport()->height());

    m_fixture->click("按钮1");
    QVERIFY(navigator.alignedPairs().empty());
}

QTEST_MAIN(TestWindowFiles)
#include "tst_windowfiles.moc"
