#include <QColorDialog>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "panes/richedit.h"
#include "shell/translations.h"

// The toolkit's own texts come in Chinese once its translations are installed, whatever the
// locale the program runs in.
class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void messageBoxButtons_data();
    void messageBoxButtons();
    void paneEditingMenu();
    void colorDialogButtons();
};

void TranslationsTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(translations::installToolkitChinese(*qApp));
}

void TranslationsTest::messageBoxButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("OK") << int(QMessageBox::Ok) << QStringLiteral("确定");
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << QStringLiteral("取消");
}

void TranslationsTest::messageBoxButtons()
{
    QFETCH(int, button);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("错误"), QStringLiteral("text"),
                    QMessageBox::StandardButton(button));
    QTEST(box.button(QMessageBox::StandardButton(button))->text(), "text");
}

void TranslationsTest::paneEditingMenu()
{
    RichEdit pane;
    pane.setContext("some text");
    std::unique_ptr<QMenu> menu(pane.createStandardContextMenu());
    QStringList entries;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            entries << action->text();
    }
    QCOMPARE(entries,
             QStringList({"撤消(&U)\tCtrl+Z", "重做(&R)\tCtrl+Y", "剪切(&T)\tCtrl+X",
                          "复制(&C)\tCtrl+C", "粘贴(&P)\tCtrl+V", "删除", "全选\tCtrl+A"}));
}

void TranslationsTest::colorDialogButtons()
{
    QColorDialog dialog;
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
}

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
