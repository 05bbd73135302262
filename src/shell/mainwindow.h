#pragma once

// The one window: two rich-text panes side by side, the size list, the colour picker, the
// Clear and Compare buttons between them, and the find and replace row under them. It binds
// the controls' events to the commands.

#include <memory>

#include <QWidget>

#include "commands/filecommands.h"
#include "shell/appstate.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class ColorPicker;
class ComboBox;
class EditBox;
class RichEdit;

namespace commands {
class DifferenceNavigator;
class Notifier;
} // namespace commands

class MainWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 791;
    static constexpr int ClientHeight = 273;

    explicit MainWindow(AppState &state, QWidget *parent = nullptr);
    ~MainWindow() override;

    RichEdit *leftPane() const { return m_leftPane; }
    RichEdit *rightPane() const { return m_rightPane; }
    EditBox *searchBox() const { return m_searchBox; }
    EditBox *replacementBox() const { return m_replacementBox; }
    ComboBox *sizeList() const { return m_sizeList; }
    ColorPicker *colorPicker() const { return m_colorPicker; }

    // Places the window in the middle of its screen.
    void centerOnScreen();

    // Loads the files into the left and then the right pane; a file that cannot be loaded is
    // reported and leaves its pane as it was.
    void openFiles(const QStringList &paths);
    // The dialogs and messages of the file commands; tests put their own in.
    void setFileUser(std::unique_ptr<commands::FileUser> user);
    commands::DifferenceNavigator &differenceNavigator() const { return *m_navigator; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setupWindow();
    void setupControls();
    void setupTabOrder();
    void bindEvents();
    void setupFiles();
    void setupNavigation();
    void setupAlignedCompare();

    void compareTexts();
    void alignedCompareTexts();
    void clearTexts();
    void findNextOccurrence();
    void replaceAllOccurrences();
    void takeFontSize();
    void takeFontColor();
    commands::PaneFile &fileOf(const RichEdit *pane);
    void moveToDifference(const RichEdit *pane, bool forward);

    AppState &m_state;
    std::unique_ptr<commands::Notifier> m_notifier;

    QPushButton *m_compareButton = nullptr;
    QPushButton *m_clearButton = nullptr;
    RichEdit *m_leftPane = nullptr;
    RichEdit *m_rightPane = nullptr;
    ColorPicker *m_colorPicker = nullptr;
    ComboBox *m_sizeList = nullptr;
    EditBox *m_searchBox = nullptr;
    QPushButton *m_findButton = nullptr;
    QPushButton *m_replaceButton = nullptr;
    EditBox *m_replacementBox = nullptr;

    std::unique_ptr<commands::FileUser> m_fileUser;
    commands::PaneFile m_leftFile;
    commands::PaneFile m_rightFile;
    std::unique_ptr<commands::DifferenceNavigator> m_navigator;
    // The pane F8 moves in: the one that has, or last had, the focus.
    const RichEdit *m_navigatedPane = nullptr;
    QAction *m_alignedCompareAction = nullptr;
    QMenu *m_compareMenu = nullptr;
};
