#include "shell/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QKeyEvent>

#include "commands/alignedcompare.h"
#include "commands/clearpanes.h"
#include "commands/compare.h"
#include "commands/differences.h"
#include "commands/findnext.h"
#include "commands/fontcolor.h"
#include "commands/fontsize.h"
#include "commands/notifier.h"
#include "commands/replaceall.h"
#include "panes/colorpicker.h"
#include "panes/combobox.h"
#include "panes/editbox.h"
#include "panes/richedit.h"
#include "shell/filedialogs.h"
#include "shell/fixedframe.h"
#include "shell/lifecycle.h"
#include "shell/pushbutton.h"
#include "text/infobox.h"

namespace {

const char *const kTitle = "文本比较1.0      BY:Quorvel ID：Orrindel";

// The outer size the window was laid out for, frame and caption included.
constexpr int kOuterWidth = 797;
constexpr int kOuterHeight = 302;

class MessageBoxNotifier : public commands::Notifier
{
public:
    void endOfSearch() override { InfoBox(QStringLiteral("查找完毕，下面没有了")); }

    void replacementTooLarge(std::size_t limitBytes) override
    {
        constexpr quint32 kWarningIcon = 0x30;
        InfoBox(QStringLiteral("替换后的文本将超过 %1 MB，没有替换任何内容。")
                    .arg(qulonglong(limitBytes >> 20)),
                kWarningIcon);
    }
};

class PickerColor : public ColorSource
{
public:
    explicit PickerColor(const ColorPicker &picker) : m_picker(picker) {}
    uint32_t colorValue() const override { return m_picker.color(); }

private:
    const ColorPicker &m_picker;
};

template <typename Widget>
Widget *place(Widget *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QLabel *makeLabel(QWidget *parent, const char *name, const char *text, Qt::Alignment horizontal,
                  QRect rect)
{
    auto *label = place(new QLabel(QString::fromUtf8(text), parent), name, rect.x(), rect.y(),
                        rect.width(), rect.height());
    label->setAlignment(horizontal | Qt::AlignVCenter);
    label->setFocusPolicy(Qt::NoFocus);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    // A label paints the window's face colour over what lies under it (标签5 over 编辑框1).
    label->setAutoFillBackground(true);
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const char *text, QRect rect)
{
    return place(new PushButton(QString::fromUtf8(text), parent), name, rect.x(), rect.y(),
                 rect.width(), rect.height());
}

} // namespace

MainWindow::MainWindow(AppState &state, QWidget *parent)
    : QWidget(parent), m_state(state), m_notifier(std::make_unique<MessageBoxNotifier>())
{
    setupWindow();
    setupControls();
    setupTabOrder();
    bindEvents();
    setupFiles();
    setupNavigation();
    setupAlignedCompare();
}

MainWindow::~MainWindow()
{
    // Closing the window moves the focus while its members are already gone; the window no
    // longer follows the focus from here on.
    disconnect(qApp, nullptr, this, nullptr);
}

void MainWindow::setupWindow()
{
    setObjectName(QStringLiteral("window"));
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/textcompare.png")));
    setFixedSize(ClientWidth, ClientHeight);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    centerOnScreen();
}

void MainWindow::centerOnScreen()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - kOuterWidth) / 2,
         area.y() + (area.height() - kOuterHeight) / 2);
}

void MainWindow::setupControls()
{
    // Created bottom of the stack first: a later sibling lies above an earlier one.
    m_compareButton = makeButton(this, "按钮1", "比       较", {355, 175, 80, 64});
    m_clearButton = makeButton(this, "按钮2", "清       空", {355, 102, 80, 64});
    m_leftPane = place(new RichEdit(this), "超级编辑框1", -1, 24, 355, 216);
    m_rightPane = place(new RichEdit(this), "超级编辑框2", 436, 24, 355, 216);
    m_colorPicker = place(new ColorPicker(this), "颜色选择器1", 355, 24, 80, 24);
    makeLabel(this, "标签1", "字体颜色", Qt::AlignHCenter, {362, 0, 60, 24});
    makeLabel(this, "标签2", "字体大小", Qt::AlignHCenter, {361, 48, 60, 24});

    m_sizeList = new ComboBox(this);
    for (int size = 1; size <= 20; ++size)
        m_sizeList->addItem(QString::number(size));
    m_sizeList->addItem(QString());
    m_sizeList->setCurrentIndex(0);
    m_sizeList->setMaxVisibleItems(8);
    // The closed list is as tall as its selection field.
    place(m_sizeList, "组合框1", 355, 72, 80, std::max(20, m_sizeList->sizeHint().height()));

    makeLabel(this, "标签3", "欲比较的文本", Qt::AlignHCenter, {96, 0, 152, 24});
    makeLabel(this, "标签4", "比较的文本", Qt::AlignHCenter, {504, 0, 240, 24});
    m_searchBox = place(new EditBox(this), "编辑框1", 111, 245, 192, 24);
    makeLabel(this, "标签5", "欲查找/替换的文本：", Qt::AlignLeft, {0, 248, 112, 16});
    m_findButton = makeButton(this, "按钮3", "查找/下一个", {305, 241, 103, 32});
    m_replaceButton = makeButton(this, "按钮5", "替换", {699, 241, 64, 32});
    m_replacementBox = place(new EditBox(this), "编辑框2", 552, 244, 120, 24);
    makeLabel(this, "标签6", "替换的文本：", Qt::AlignLeft, {472, 248, 80, 16});

    m_compareButton->setFocus();
}

void MainWindow::setupTabOrder()
{
    const QWidget *const order[] = {m_compareButton, m_clearButton,   m_leftPane,  m_rightPane,
                                    m_colorPicker,   m_sizeList,      m_searchBox, m_findButton,
                                    m_replaceButton, m_replacementBox};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(const_cast<QWidget *>(order[i]), const_cast<QWidget *>(order[i + 1]));
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape that no control keeps for itself closes the window. A dropped list or the colour
    // palette is a window of its own and takes its Escape before it gets here.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::showEvent(QShowEvent *event)
{
    // Before the native window is mapped, so the window manager reads the fixed frame.
    fixedframe::announceToWindowManager(*this);
    QWidget::showEvent(event);
}

void MainWindow::bindEvents()
{
    // A control event reaches its command only while the program runs normally.
    const auto bind = [this](auto *sender, auto signal, void (MainWindow::*command)()) {
        connect(sender, signal, this, [this, command] {
            if (lifecycle::commandsEnabled())
                (this->*command)();
        });
    };
    bind(m_compareButton, &QPushButton::clicked, &MainWindow::compareTexts);
    bind(m_clearButton, &QPushButton::clicked, &MainWindow::clearTexts);
    bind(m_findButton, &QPushButton::clicked, &MainWindow::findNextOccurrence);
    bind(m_replaceButton, &QPushButton::clicked, &MainWindow::replaceAllOccurrences);
    bind(m_sizeList, &ComboBox::itemChosen, &MainWindow::takeFontSize);
    bind(m_colorPicker, &ColorPicker::colorChosen, &MainWindow::takeFontColor);
    // A new search text is searched from the top.
    connect(m_searchBox, &QLineEdit::textChanged, this, [this] { m_state.findCursor = 0; });
}

void MainWindow::compareTexts()
{
    m_navigator->forgetAlignedHunks(); // the marks now match position by position
    commands::compare(*m_leftPane, *m_rightPane, *m_state.highlight);
}

void MainWindow::setupAlignedCompare()
{
    const auto runWhenEnabled = [this](void (MainWindow::*command)()) {
        return [this, command] {
            if (lifecycle::commandsEnabled())
                (this->*command)();
        };
    };

    // F7 belongs to this one window-level action, so it is never ambiguous; the menus only
    // name it in their text.
    m_alignedCompareAction = new QAction(QStringLiteral("对齐比较"), this);
    m_alignedCompareAction->setObjectName(QStringLiteral("alignedCompareAction"));
    m_alignedCompareAction->setShortcut(QKeySequence(Qt::Key_F7));
    m_alignedCompareAction->setShortcutContext(Qt::WindowShortcut);
    addAction(m_alignedCompareAction);
    connect(m_alignedCompareAction, &QAction::triggered, this,
            runWhenEnabled(&MainWindow::alignedCompareTexts));

    // The panes' context menus list the actions added to the pane.
    for (RichEdit *pane : {m_leftPane, m_rightPane}) {
        auto *action = new QAction(QStringLiteral("对齐比较 (F7)"), pane);
        action->setObjectName(QStringLiteral("paneAlignedCompareAction"));
        pane->addAction(action);
        connect(action, &QAction::triggered, this,
                runWhenEnabled(&MainWindow::alignedCompareTexts));
    }

    // A right-click on Compare offers both kinds of comparison; a click stays Compare.
    m_compareMenu = new QMenu(this);
    m_compareMenu->setObjectName(QStringLiteral("compareMenu"));
    QAction *byPosition = m_compareMenu->addAction(QStringLiteral("按位置比较"));
    byPosition->setObjectName(QStringLiteral("positionCompareAction"));
    connect(byPosition, &QAction::triggered, this, runWhenEnabled(&MainWindow::compareTexts));
    QAction *aligned = m_compareMenu->addAction(QStringLiteral("对齐比较"));
    aligned->setObjectName(QStringLiteral("menuAlignedCompareAction"));
    connect(aligned, &QAction::triggered, this, runWhenEnabled(&MainWindow::alignedCompareTexts));
    m_compareButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_compareButton, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &position) {
                m_compareMenu->popup(m_compareButton->mapToGlobal(position));
            });
}

void MainWindow::alignedCompareTexts()
{
    // F8 then takes the other pane to the aligned place.
    m_navigator->setAlignedHunks(
        commands::alignedCompare(*m_leftPane, *m_rightPane, *m_state.highlight));
}

void MainWindow::clearTexts()
{
    commands::clearPanes(*m_leftPane, *m_rightPane, m_state.findCursor);
}

void MainWindow::findNextOccurrence()
{
    commands::findNext(*m_leftPane, *m_searchBox, *m_state.highlight, m_state.findCursor,
                       *m_notifier);
}

void MainWindow::replaceAllOccurrences()
{
    commands::replaceAll(*m_leftPane, *m_searchBox, *m_replacementBox, m_state.findCursor,
                         *m_notifier);
}

void MainWindow::takeFontSize()
{
    commands::chooseFontSize(*m_sizeList, *m_state.highlight);
}

void MainWindow::takeFontColor()
{
    commands::chooseFontColor(PickerColor(*m_colorPicker), *m_state.highlight);
}

commands::PaneFile &MainWindow::fileOf(const RichEdit *pane)
{
    return pane == m_leftPane ? m_leftFile : m_rightFile;
}

void MainWindow::setupFiles()
{
    m_fileUser = std::make_unique<DialogFileUser>(this);
    for (RichEdit *pane : {m_leftPane, m_rightPane}) {
        const auto addAction = [this, pane](const char *name, const char *text, auto command) {
            auto *action = new QAction(QString::fromUtf8(text), pane);
            action->setObjectName(QString::fromUtf8(name));
            connect(action, &QAction::triggered, this, [this, pane, command] {
                if (lifecycle::commandsEnabled())
                    command(*pane, fileOf(pane), *m_fileUser);
            });
            pane->addAction(action);
        };
        addAction("openFileAction", "打开文件…", commands::openChosenFile);
        addAction("saveFileAction", "另存为…", commands::saveToChosenFile);

        connect(pane, &RichEdit::fileDropped, this, [this, pane](const QString &path) {
            if (lifecycle::commandsEnabled())
                commands::openFile(*pane, fileOf(pane), path, *m_fileUser);
        });
        // An emptied pane forgets its file: what is typed or pasted into it is a new text.
        connect(pane, &QPlainTextEdit::textChanged, this, [this, pane] {
            if (pane->document()->isEmpty())
                fileOf(pane) = {};
        });
    }
}

void MainWindow::setFileUser(std::unique_ptr<commands::FileUser> user)
{
    m_fileUser = std::move(user);
}

void MainWindow::openFiles(const QStringList &paths)
{
    RichEdit *const panes[] = {m_leftPane, m_rightPane};
    for (qsizetype i = 0; i < paths.size() && i < qsizetype(std::size(panes)); ++i)
        commands::openFile(*panes[i], fileOf(panes[i]), paths[i], *m_fileUser);
}

void MainWindow::setupNavigation()
{
    m_navigator = std::make_unique<commands::DifferenceNavigator>(*m_leftPane, *m_rightPane);
    m_navigatedPane = m_leftPane;
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now == m_leftPane || now == m_rightPane)
            m_navigatedPane = static_cast<const RichEdit *>(now);
    });

    // The keys belong to the window, so that they work from every control; the panes' menus
    // list the same moves for themselves.
    const auto addKey = [this](const char *name, QKeySequence key, bool forward) {
        auto *action = new QAction(this);
        action->setObjectName(QString::fromUtf8(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this,
                [this, forward] { moveToDifference(m_navigatedPane, forward); });
        addAction(action);
    };
    addKey("nextDifferenceKey", QKeySequence(Qt::Key_F8), true);
    addKey("previousDifferenceKey", QKeySequence(Qt::SHIFT | Qt::Key_F8), false);

    for (RichEdit *pane : {m_leftPane, m_rightPane}) {
        const auto addMove = [this, pane](const char *name, const char *text, bool forward) {
            auto *action = new QAction(QString::fromUtf8(text), pane);
            action->setObjectName(QString::fromUtf8(name));
            connect(action, &QAction::triggered, this,
                    [this, pane, forward] { moveToDifference(pane, forward); });
            pane->addAction(action);
        };
        addMove("nextDifferenceAction", "下一处差异 (F8)", true);
        addMove("previousDifferenceAction", "上一处差异 (Shift+F8)", false);
    }
}

void MainWindow::moveToDifference(const RichEdit *pane, bool forward)
{
    if (!lifecycle::commandsEnabled())
        return;
    m_navigator->move(pane == m_leftPane ? commands::Side::Left : commands::Side::Right,
                      forward ? commands::Direction::Next : commands::Direction::Previous);
}
