#include <algorithm>
#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "text/infobox.h"

namespace {

// What the box showed while it was up.
struct Seen
{
    bool found = false;
    QString objectName;
    QString title;
    QString text;
    Qt::TextFormat textFormat = Qt::AutoText;
    QStringList buttons;
    QString defaultButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::WindowModality modality = Qt::NonModal;
    bool hasOwner = true;
    bool onTop = false;
    bool openAfterAction = false;
};

QMessageBox *shownBox()
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
}

void record(QMessageBox *box, Seen &seen)
{
    seen.found = true;
    seen.objectName = box->objectName();
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.textFormat = box->textFormat();
    for (QAbstractButton *button : box->buttons())
        seen.buttons << button->objectName();
    seen.buttons.sort();
    seen.defaultButton = box->defaultButton() ? box->defaultButton()->objectName() : QString();
    seen.icon = box->icon();
    seen.modality = box->windowModality();
    seen.hasOwner = box->parentWidget() != nullptr;
    seen.onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void clickButton(QMessageBox *box, const QString &name)
{
    if (auto *button = box->findChild<QPushButton *>(name))
        QTest::mouseClick(button, Qt::LeftButton);
}

// Waits for the box, notes what it shows, then does action to it: "escape", "close" or the
// object name of a button to click. When the box is still up afterwards it is dismissed with
// the button named in finally (or any button, so that a faulty box cannot hang the test).
// Everything happens while the box is up: nothing is left pending once InfoBox has returned.
void dismissWhenShown(const QString &action, const QString &finally, Seen &seen, int tries = 200)
{
    QTimer::singleShot(10, [=, &seen] {
        QMessageBox *box = shownBox();
        if (box == nullptr) {
            if (tries > 0)
                dismissWhenShown(action, finally, seen, tries - 1);
            return;
        }
        record(box, seen);
        if (action == QLatin1String("escape")) {
            QWidget *focus = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClick(focus, Qt::Key_Escape);
        } else if (action == QLatin1String("close")) {
            box->close();
        } else {
            clickButton(box, action);
        }
        seen.openAfterAction = box->isVisible();
        if (box->isVisible() && !finally.isEmpty())
            clickButton(box, finally);
        if (box->isVisible() && !box->buttons().isEmpty())
            box->buttons().front()->click();
    });
}

} // namespace

class TestInfoBox : public QObject
{
    Q_OBJECT

private slots:
    void showsBoxAndAnswersButton_data();
    void showsBoxAndAnswersButton();
    void showsTextInFull();
    void answersEachCallAfresh();
};

void TestInfoBox::showsBoxAndAnswersButton_data()
{
    QTest::addColumn<uint>("style");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("defaultButton");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("finally");
    QTest::addColumn<int>("answer");

    const QString info = QStringLiteral("信息：");
    const QStringList ok{"okButton"};
    const QStringList okCancel{"cancelButton", "okButton"};
    const QStringList abortRetryIgnore{"abortButton", "ignoreButton", "retryButton"};
    const QStringList yesNoCancel{"cancelButton", "noButton", "yesButton"};
    const QStringList yesNo{"noButton", "yesButton"};
    const QStringList retryCancel{"cancelButton", "retryButton"};
    const int none = QMessageBox::NoIcon;

    QTest::newRow("no caption, OK")
        << 0u << QString() << info << ok << "okButton" << none << "okButton" << QString() << 0;
    QTest::newRow("empty caption")
        << 0u << QString("") << info << ok << "okButton" << none << "okButton" << QString() << 0;
    QTest::newRow("given caption")
        << 0u << "标题"
        << "标题" << ok << "okButton" << none << "okButton" << QString() << 0;
    QTest::newRow("escape counts as OK")
        << 0u << QString() << info << ok << "okButton" << none << "escape" << QString() << 0;
    QTest::newRow("closing counts as OK")
        << 0u << QString() << info << ok << "okButton" << none << "close" << QString() << 0;
    QTest::newRow("unknown button set is OK")
        << 7u << QString() << info << ok << "okButton" << none << "escape" << QString() << 0;

    QTest::newRow("OK Cancel: OK") << 1u << QString() << info << okCancel << "okButton" << none
                                   << "okButton" << QString() << 0;
    QTest::newRow("OK Cancel: Cancel") << 1u << QString() << info << okCancel << "okButton" << none
                                       << "cancelButton" << QString() << 1;
    QTest::newRow("OK Cancel: escape")
        << 1u << QString() << info << okCancel << "okButton" << none << "escape" << QString() << 1;
    QTest::newRow("OK Cancel: second default")
        << 0x101u << QString() << info << okCancel << "cancelButton" << none << "okButton"
        << QString() << 0;

    const int stop = QMessageBox::Critical;
    QTest::newRow("Abort Retry Ignore: Abort")
        << 0x12u << QString() << info << abortRetryIgnore << "abortButton" << stop << "abortButton"
        << QString() << 2;
    QTest::newRow("Abort Retry Ignore: Retry")
        << 0x112u << QString() << info << abortRetryIgnore << "retryButton" << stop << "retryButton"
        << QString() << 3;
    QTest::newRow("Abort Retry Ignore: Ignore")
        << 0x212u << QString() << info << abortRetryIgnore << "ignoreButton" << stop
        << "ignoreButton" << QString() << 4;
    QTest::newRow("Abort Retry Ignore: escape does nothing")
        << 0x12u << QString() << info << abortRetryIgnore << "abortButton" << stop << "escape"
        << "ignoreButton" << 4;
    QTest::newRow("Abort Retry Ignore: closing does nothing")
        << 0x12u << QString() << info << abortRetryIgnore << "abortButton" << stop << "close"
        << "retryButton" << 3;

    const int question = QMessageBox::Question;
    QTest::newRow("Yes No Cancel: Yes") << 0x23u << QString() << info << yesNoCancel << "yesButton"
                                        << question << "yesButton" << QString() << 5;
    QTest::newRow("Yes No Cancel: No") << 0x23u << QString() << info << yesNoCancel << "yesButton"
                                       << question << "noButton" << QString() << 6;
    QTest::newRow("Yes No Cancel: escape")
        << 0x223u << QString() << info << yesNoCancel << "cancelButton" << question << "escape"
        << QString() << 1;

    const int warning = QMessageBox::Warning;
    QTest::newRow("Yes No: Yes") << 0x34u << QString() << info << yesNo << "yesButton" << warning
                                 << "yesButton" << QString() << 5;
    QTest::newRow("Yes No: escape answers No") << 0x34u << QString() << info << yesNo << "yesButton"
                                               << warning << "escape" << QString() << 6;
    QTest::newRow("Yes No: third default falls back to first")
        << 0x234u << QString() << info << yesNo << "yesButton" << warning << "noButton" << QString()
        << 6;

    const int information = QMessageBox::Information;
    QTest::newRow("Retry Cancel: Retry")
        << 0x45u << QString() << info << retryCancel << "retryButton" << information
        << "retryButton" << QString() << 3;
    QTest::newRow("Retry Cancel: closing answers Cancel")
        << 0x45u << QString() << info << retryCancel << "retryButton" << information << "close"
        << QString() << 1;

    QTest::newRow("unknown icon bits")
        << 0x50u << QString() << info << ok << "okButton" << none << "okButton" << QString() << 0;
    QTest::newRow("system modal") << 0x1000u << QString() << info << ok << "okButton" << none
                                  << "okButton" << QString() << 0;
}

void TestInfoBox::showsBoxAndAnswersButton()
{
    QFETCH(uint, style);
    QFETCH(QString, caption);
    QFETCH(QString, title);
    QFETCH(QStringList, buttons);
    QFETCH(QString, defaultButton);
    QFETCH(int, icon);
    QFETCH(QString, action);
    QFETCH(QString, finally);
    QFETCH(int, answer);

    Seen seen;
    dismissWhenShown(action, finally, seen);
    const int result = InfoBox(QStringLiteral("查找完毕，下面没有了"), style, caption);

    QVERIFY(seen.found);
    QCOMPARE(seen.objectName, QStringLiteral("infoBox"));
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.text, QStringLiteral("查找完毕，下面没有了"));
    QCOMPARE(seen.buttons, buttons);
    QCOMPARE(seen.defaultButton, defaultButton);
    QCOMPARE(int(seen.icon), icon);
    // Whatever the modal bits, the box blocks the whole program and belongs to no window.
    QCOMPARE(seen.modality, Qt::ApplicationModal);
    QVERIFY(!seen.hasOwner);
    QCOMPARE(seen.onTop, (style & 0x1000) != 0);
    QCOMPARE(seen.openAfterAction, !finally.isEmpty());
    QCOMPARE(result, answer);
}

void TestInfoBox::showsTextInFull()
{
    const QString text = QStringLiteral("<b>a &amp; b</b>\nzweite Zeile");
    Seen seen;
    dismissWhenShown(QStringLiteral("okButton"), QString(), seen);
    QCOMPARE(InfoBox(text), 0);
    QVERIFY(seen.found);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.textFormat, Qt::PlainText);
}

void TestInfoBox::answersEachCallAfresh()
{
    Seen first;
    dismissWhenShown(QStringLiteral("noButton"), QString(), first);
    QCOMPARE(InfoBox(QStringLiteral("one"), 4), 6);

    Seen second;
    dismissWhenShown(QStringLiteral("escape"), QString(), second);
    QCOMPARE(InfoBox(QStringLiteral("two")), 0);
    QCOMPARE(second.title, QStringLiteral("信息："));
    QCOMPARE(second.buttons, QStringList{"okButton"});
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(TestInfoBox)
#include "tst_infobox.moc"
