#pragma once

// A shown main window with fresh shared state, and a watcher that answers every message box the
// way a user would: it notes the caption and text and presses OK.

#include <memory>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "panes/editbox.h"
#include "panes/richedit.h"
#include "shell/appstate.h"
#include "shell/mainwindow.h"
#include "text/codepage.h"

namespace testing {

struct SeenMessage
{
    QString caption;
    QString text;
};

class WindowFixture
{
public:
    WindowFixture()
    {
        state.highlight = createHighlightFormat();
        window = std::make_unique<MainWindow>(state);
        window->show();
        QObject::connect(&m_boxWatcher, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                messages.push_back({box->windowTitle(), box->text()});
                box->accept();
            }
        });
        m_boxWatcher.start(10);
    }

    QPushButton *button(const char *name) const
    {
        return window->findChild<QPushButton *>(QString::fromUtf8(name));
    }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    void setLeft(const QString &text) const
    {
        window->leftPane()->setContext(text::toCodePage(text));
    }
    void setRight(const QString &text) const
    {
        window->rightPane()->setContext(text::toCodePage(text));
    }
    QString left() const { return text::fromCodePage(window->leftPane()->context()); }
    QString right() const { return text::fromCodePage(window->rightPane()->context()); }
    void setSearch(const QString &text) const { window->searchBox()->setText(text); }
    void setReplacement(const QString &text) const { window->replacementBox()->setText(text); }

    AppState state;
    std::unique_ptr<MainWindow> window;
    std::vector<SeenMessage> messages;

private:
    QTimer m_boxWatcher;
};

} // namespace testing
