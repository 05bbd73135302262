#pragma once

// Plays a seeded random session of user actions on the real main window and checks every step
// against the session model: the panes' texts, their undo and redo, the marks Compare and Find
// next make, the end-of-search message and the find cursor. Input goes in as a user gives it:
// the clipboard and Ctrl+V, key presses, clicks on the buttons, the size list and the colour
// palette. The player starts from a fresh window: empty panes, find cursor 0, the highlight
// format as start-up makes it.

#include <algorithm>
#include <string>
#include <vector>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include "panes/charformat.h"
#include "panes/colorpalette.h"
#include "panes/colorpicker.h"
#include "panes/colorpopup.h"
#include "panes/combobox.h"
#include "panes/editbox.h"
#include "panes/paragraphs.h"
#include "panes/richedit.h"
#include "sessionmodel.h"
#include "sessionrules.h"
#include "sessiontexts.h"
#include "shell/appstate.h"
#include "shell/mainwindow.h"
#include "text/codepage.h"

namespace session {

using sessionmodel::PaneModel;
using sessionmodel::PaneState;
using sessionmodel::StepKind;
using sessiontexts::Kind;

struct Sizes
{
    int shortText = 2048;    // the longest ordinary paste, in UTF-16 units
    int longLine = 65536;    // the occasional long unbroken line
    int longLinePercent = 3; // how often a paste is the long line
};

inline const QString kEndOfSearch = QStringLiteral("查找完毕，下面没有了");

class Player
{
public:
    enum class Action
    {
        Paste,
        Type,
        LineBreak,
        Backspace,
        Delete,
        Cut,
        DeleteAll,
        Clear,
        Undo,
        Redo,
        Compare,
        FindNext,
        ReplaceAll,
        ChooseSize,
        ChooseColour,
    };

    Player(MainWindow &window, AppState &state, uint64_t seed, Sizes sizes = {})
        : m_window(window), m_state(state), m_random(seed), m_sizes(sizes),
          m_mainKind(Kind(seed % sessiontexts::kKindCount))
    {
        m_expectedSize = state.highlight->FontSize;
        m_expectedColor = state.highlight->TextColor;
        QObject::connect(&m_boxWatcher, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                m_messages.push_back(box->text());
                box->accept();
            }
        });
        m_boxWatcher.start(5);
    }

    // Plays one action and checks the window against the model; false, with failure() set,
    // when they disagree.
    bool step()
    {
        const Action action = pickAction();
        m_failure.clear();
        m_stepMs = 0;
        const qsizetype logged = m_log.size();
        play(action);
        if (m_stepMs > m_slowestMs) {
            m_slowestMs = m_stepMs;
            m_slowestStep = m_log.mid(logged).join(QStringLiteral("; "));
        }
        if (m_failure.isEmpty())
            checkPanes();
        return m_failure.isEmpty();
    }

    // After a disagreement, takes the panes' texts and marks and the find cursor as they are,
    // so that a session that only measures can go on. The undo history stays as modelled.
    void adoptWindowState()
    {
        for (int index : {0, 1}) {
            PaneState actual;
            actual.text = text::fromCodePage(pane(index)->context());
            for (const QTextCharFormat &format : unitFormats(*pane(index)))
                actual.mayBeMarked.push_back(format.fontUnderline());
            actual.mayBeMarked.resize(actual.text.size(), true);
            m_panes[index].replaceState(std::move(actual));
            m_mustBeMarked[index].clear();
        }
        m_findCursor = m_state.findCursor;
        m_expectedSize = m_state.highlight->FontSize;
        m_expectedColor = m_state.highlight->TextColor;
        forgetCarets();
    }

    const QString &failure() const { return m_failure; }
    const QStringList &log() const { return m_log; }
    Kind mainKind() const { return m_mainKind; }
    // The time the window took to answer the last step's input (key presses, clicks), up to the
    // processed events, and the slowest such step so far.
    double lastStepMs() const { return m_stepMs; }
    double slowestStepMs() const { return m_slowestMs; }
    const QString &slowestStep() const { return m_slowestStep; }

private:
    // ---- choosing -------------------------------------------------------------------------

    Action pickAction()
    {
        struct Weighted
        {
            Action action;
            int weight;
        };
        static const Weighted table[] = {
            {Action::Paste, 12},     {Action::Type, 12},      {Action::LineBreak, 3},
            {Action::Backspace, 8},  {Action::Delete, 6},     {Action::Cut, 5},
            {Action::DeleteAll, 3},  {Action::Clear, 2},      {Action::Undo, 12},
            {Action::Redo, 6},       {Action::Compare, 10},   {Action::FindNext, 10},
            {Action::ReplaceAll, 5}, {Action::ChooseSize, 3}, {Action::ChooseColour, 3},
        };
        int total = 0;
        for (const Weighted &entry : table)
            total += entry.weight;
        int pick = m_random.below(total);
        for (const Weighted &entry : table) {
            if (pick < entry.weight)
                return entry.action;
            pick -= entry.weight;
        }
        return Action::Compare;
    }

    int panePick() { return m_random.below(2); }

    RichEdit *pane(int index) const
    {
        return index == 0 ? m_window.leftPane() : m_window.rightPane();
    }
    static const char *paneName(int index) { return index == 0 ? "left" : "right"; }

    Kind pickKind()
    {
        return m_random.chance(60) ? m_mainKind : Kind(m_random.below(sessiontexts::kKindCount));
    }

    // A position between two characters (never inside a surrogate pair).
    int pickPosition(const QString &text)
    {
        int position = m_random.below(int(text.size()) + 1);
        if (position > 0 && position < text.size() && text[position].isLowSurrogate())
            --position;
        return position;
    }

    // The caret a user goes on typing at, or a fresh click somewhere.
    int pickCaret(int index)
    {
        const QString &text = m_panes[index].state().text;
        if (m_lastCaret[index] >= 0 && m_lastCaret[index] <= text.size() && m_random.chance(60))
            return m_lastCaret[index];
        return pickPosition(text);
    }

    // A piece of the left text without line breaks, or typed text, or now and then nothing.
    QString pickSearchText()
    {
        const QString &left = m_panes[0].state().text;
        if (m_random.chance(5))
            return {};
        if (left.isEmpty() || m_random.chance(25))
            return sessiontexts::typed(m_random).trimmed();
        const int from = pickPosition(left);
        int to = std::min<int>(int(left.size()), from + 1 + m_random.below(6));
        if (to < left.size() && left[to].isLowSurrogate())
            ++to;
        QString piece = left.mid(from, to - from);
        piece.truncate(piece.indexOf(u'\n') >= 0 ? piece.indexOf(u'\n') : piece.size());
        return piece;
    }

    // ---- acting ---------------------------------------------------------------------------

    void note(const QString &what) { m_log.append(what); }

    void fail(const QString &what)
    {
        if (m_failure.isEmpty())
            m_failure = what;
    }

    // Runs the user's input of a step, adding its time, up to the processed events, to the
    // step's time. Setting the caret and filling the edit boxes are not timed.
    template <typename Input> void timed(Input input)
    {
        QElapsedTimer timer;
        timer.start();
        input();
        settle();
        m_stepMs += double(timer.nsecsElapsed()) / 1e6;
    }

    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // The document position of an offset in the pane's text: a soft break takes a position but
    // holds no text. An offset at a soft break is the end of the paragraph before it.
    static int documentPosition(const RichEdit &pane, int offset)
    {
        int softBefore = 0;
        for (QTextBlock block = pane.document()->begin().next(); block.isValid();
             block = block.next()) {
            if (!paragraphs::startsSoftly(block))
                continue;
            if (block.position() - 1 - softBefore >= offset)
                break;
            ++softBefore;
        }
        return offset + softBefore;
    }

    void focusPane(int index, int anchor, int position)
    {
        RichEdit *target = pane(index);
        target->setFocus();
        settle();
        QTextCursor cursor(target->document());
        cursor.setPosition(documentPosition(*target, anchor));
        cursor.setPosition(documentPosition(*target, position), QTextCursor::KeepAnchor);
        target->setTextCursor(cursor);
    }

    int undoCount(int index) const { return pane(index)->document()->availableUndoSteps(); }

    void key(int index, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(pane(index), key, modifiers);
        settle();
    }

    // Types text key by key; a character with no key of its own comes as the text of a key
    // press, as an input method gives it.
    void typeKeys(int index, const QString &text)
    {
        for (QChar ch : text) {
            if (ch.unicode() < 0x80)
                QTest::keyClick(pane(index), char(ch.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, pane(index), Qt::Key_unknown, QString(ch), {});
        }
        settle();
    }

    void forgetCarets() { m_lastCaret[0] = m_lastCaret[1] = -1; }

    // Records an edit of units [from, to) replaced by inserted as a new step, checking that
    // the pane made one.
    void editStep(int index, int countBefore, int from, int to, const QString &inserted,
                  StepKind kind)
    {
        PaneModel &model = m_panes[index];
        if (sessionmodel::removesMarkable(model.state(), from, to))
            model.insertionMayBeMarked = true;
        PaneState after =
            sessionmodel::edited(model.state(), from, to, inserted, model.insertionMayBeMarked);
        const int caret = from + int(inserted.size());
        if (from == to && inserted.isEmpty()) {
            if (undoCount(index) != countBefore)
                fail(QStringLiteral("an edit that changed nothing made an undo step"));
            return;
        }
        if (undoCount(index) == countBefore)
            fail(QStringLiteral("the edit made no undo step"));
        model.push(std::move(after), kind, caret);
        m_lastCaret[index] = caret;
    }

    void play(Action action)
    {
        switch (action) {
        case Action::Paste:
            return paste();
        case Action::Type:
            return type();
        case Action::LineBreak:
            return lineBreak();
        case Action::Backspace:
            return removeByKey(StepKind::Backspace);
        case Action::Delete:
            return removeByKey(StepKind::Delete);
        case Action::Cut:
            return cut();
        case Action::DeleteAll:
            return deleteAll();
        case Action::Clear:
            return clear();
        case Action::Undo:
            return undoOrRedo(true);
        case Action::Redo:
            return undoOrRedo(false);
        case Action::Compare:
            return compare();
        case Action::FindNext:
            return findNext();
        case Action::ReplaceAll:
            return replaceAll();
        case Action::ChooseSize:
            return chooseSize();
        case Action::ChooseColour:
            return chooseColour();
        }
    }

    void paste()
    {
        const int index = panePick();
        const QString &current = m_panes[index].state().text;
        const QString &other = m_panes[1 - index].state().text;
        QString text;
        QString what;
        if (current.isEmpty() && !other.isEmpty() && m_random.chance(40)) {
            // The other pane's text with a few characters changed: a Compare with few marks.
            text = other;
            for (int changes = 1 + m_random.below(4); changes > 0; --changes) {
                const int at = pickPosition(text);
                if (at < text.size())
                    text.replace(at, text[at].isHighSurrogate() ? 2 : 1,
                                 sessiontexts::typed(m_random).left(1));
            }
            what = QStringLiteral("the other pane's text, changed");
        } else if (m_random.chance(m_sizes.longLinePercent)) {
            text = sessiontexts::generate(Kind::LongLine, m_sizes.longLine, m_random);
            what = QStringLiteral("a long line");
        } else {
            const Kind kind = pickKind();
            const int units = 1 + m_random.below(m_sizes.shortText);
            text = sessiontexts::generate(kind, units, m_random).left(units);
            if (!text.isEmpty() && text.back().isHighSurrogate())
                text.chop(1);
            if (text.isEmpty())
                text = QStringLiteral("x");
            what = QString::fromUtf8(sessiontexts::kindName(kind));
        }
        int from = pickCaret(index);
        int to = from;
        if (!current.isEmpty() && m_random.chance(20)) {
            to = pickPosition(current);
            if (to < from)
                std::swap(from, to);
        }
        note(QStringLiteral("%1: paste %2 units of %3 over %4..%5")
                 .arg(paneName(index))
                 .arg(text.size())
                 .arg(what)
                 .arg(from)
                 .arg(to));
        focusPane(index, from, to);
        const int count = undoCount(index);
        QApplication::clipboard()->setText(text);
        timed([&] { key(index, Qt::Key_V, Qt::ControlModifier); });
        editStep(index, count, from, to, sessionmodel::asPaneText(text), StepKind::Paste);
    }

    void type()
    {
        const int index = panePick();
        const int caret = pickCaret(index);
        const QString text = sessiontexts::typed(m_random);
        note(QStringLiteral("%1: type '%2' at %3").arg(paneName(index), text).arg(caret));
        focusPane(index, caret, caret);
        PaneModel &model = m_panes[index];
        const int count = undoCount(index);
        timed([&] { typeKeys(index, text.left(1)); });
        const bool joined = undoCount(index) == count;
        if (joined && !model.mayJoin(StepKind::Type, caret)) {
            fail(QStringLiteral("typing made no undo step of its own"));
            return;
        }
        PaneState after =
            sessionmodel::edited(model.state(), caret, caret, text, model.insertionMayBeMarked);
        const int countAfterFirst = undoCount(index);
        timed([&] { typeKeys(index, text.mid(1)); });
        if (undoCount(index) != countAfterFirst)
            fail(QStringLiteral("typed characters after the first made undo steps of their own"));
        const int caretAfter = caret + int(text.size());
        if (joined)
            model.joinCurrent(std::move(after), caretAfter);
        else
            model.push(std::move(after), StepKind::Type, caretAfter);
        m_lastCaret[index] = caretAfter;
    }

    void lineBreak()
    {
        const int index = panePick();
        const int caret = pickCaret(index);
        note(QStringLiteral("%1: Return at %2").arg(paneName(index)).arg(caret));
        focusPane(index, caret, caret);
        const int count = undoCount(index);
        timed([&] { key(index, Qt::Key_Return); });
        // In an empty paragraph the pane records the line break as two undo steps: the first
        // Ctrl+Z takes the line break back, the second changes nothing visible.
        const QString &text = m_panes[index].state().text;
        if ((caret == 0 || text[caret - 1] == u'\n') &&
            (caret == text.size() || text[caret] == u'\n'))
            m_panes[index].push(m_panes[index].state(), StepKind::Unseen, caret);
        editStep(index, count, caret, caret, QStringLiteral("\n"), StepKind::LineBreak);
    }

    void removeByKey(StepKind kind)
    {
        const int index = panePick();
        const int caret = pickCaret(index);
        const int presses = 1 + m_random.below(3);
        const bool backspace = kind == StepKind::Backspace;
        note(QStringLiteral("%1: %2 x%3 at %4")
                 .arg(paneName(index), backspace ? "Backspace" : "Delete")
                 .arg(presses)
                 .arg(caret));
        focusPane(index, caret, caret);
        PaneModel &model = m_panes[index];
        int at = caret;
        for (int i = 0; i < presses && m_failure.isEmpty(); ++i) {
            const QString &text = model.state().text;
            int from = at;
            int to = at;
            if (backspace && at > 0)
                from = at - (at >= 2 && text[at - 1].isLowSurrogate() ? 2 : 1);
            else if (!backspace && at < text.size())
                to = at + (text[at].isHighSurrogate() ? 2 : 1);
            const int count = undoCount(index);
            timed([&] { key(index, backspace ? Qt::Key_Backspace : Qt::Key_Delete); });
            if (from == to) {
                if (undoCount(index) != count)
                    fail(QStringLiteral("a key that removed nothing made an undo step"));
                continue;
            }
            const bool joined = undoCount(index) == count;
            if (joined && !model.mayJoin(kind, at)) {
                fail(QStringLiteral("the removal made no undo step of its own"));
                return;
            }
            if (sessionmodel::removesMarkable(model.state(), from, to))
                model.insertionMayBeMarked = true;
            PaneState after =
                sessionmodel::edited(model.state(), from, to, {}, model.insertionMayBeMarked);
            if (joined)
                model.joinCurrent(std::move(after), from);
            else
                model.push(std::move(after), kind, from);
            at = from;
        }
        m_lastCaret[index] = at;
    }

    void cut()
    {
        const int index = panePick();
        const QString &text = m_panes[index].state().text;
        if (text.isEmpty())
            return note(QStringLiteral("%1: nothing to cut").arg(paneName(index)));
        int from = pickPosition(text);
        int to = pickPosition(text);
        if (to < from)
            std::swap(from, to);
        if (from == to)
            to = std::min<int>(int(text.size()),
                               from + (from < text.size() && text[from].isHighSurrogate() ? 2 : 1));
        if (from == to)
            from = to - (to >= 2 && text[to - 1].isLowSurrogate() ? 2 : 1);
        const QString removed = text.mid(from, to - from);
        note(QStringLiteral("%1: cut %2..%3").arg(paneName(index)).arg(from).arg(to));
        focusPane(index, from, to);
        const int count = undoCount(index);
        timed([&] { key(index, Qt::Key_X, Qt::ControlModifier); });
        if (QApplication::clipboard()->text() != removed)
            fail(QStringLiteral("the clipboard holds '%1', not the cut text '%2'")
                     .arg(QApplication::clipboard()->text().left(80), removed.left(80)));
        editStep(index, count, from, to, {}, StepKind::Cut);
        forgetCarets();
    }

    void deleteAll()
    {
        const int index = panePick();
        note(QStringLiteral("%1: select all, Delete").arg(paneName(index)));
        focusPane(index, 0, 0);
        const int count = undoCount(index);
        timed([&] {
            key(index, Qt::Key_A, Qt::ControlModifier);
            key(index, Qt::Key_Delete);
        });
        editStep(index, count, 0, int(m_panes[index].state().text.size()), {}, StepKind::DeleteAll);
    }

    void click(const char *name)
    {
        auto *button = m_window.findChild<QPushButton *>(QString::fromUtf8(name));
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    }

    void clear()
    {
        note(QStringLiteral("Clear"));
        timed([&] { click("按钮2"); });
        for (PaneModel &model : m_panes)
            model.push({}, StepKind::Rewrite, -1); // writes no text that typing could join
        m_findCursor = 0;
        forgetCarets();
        checkFindCursor();
    }

    void undoOrRedo(bool undo)
    {
        const int index = panePick();
        note(QStringLiteral("%1: %2").arg(paneName(index), undo ? "Ctrl+Z" : "Ctrl+Y"));
        focusPane(index, 0, 0);
        timed([&] { key(index, undo ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier); });
        if (undo)
            m_panes[index].undo();
        else
            m_panes[index].redo();
        forgetCarets();
    }

    // The pane's UTF-16 units that hold a byte at one of the offsets (sorted) of its text.
    static std::vector<int> unitsHolding(const QString &text,
                                         const std::vector<std::size_t> &offsets)
    {
        std::vector<int> units;
        const std::string bytes = text::toCodePage(text);
        std::size_t next = 0;
        std::size_t byte = 0;
        int unit = 0;
        while (byte < bytes.size() && next < offsets.size()) {
            const std::size_t length = sessionrules::characterLength(bytes, byte);
            const int width = text[unit].isHighSurrogate() ? 2 : 1;
            if (offsets[next] < byte + length) {
                for (int k = 0; k < width; ++k)
                    units.push_back(unit + k);
                while (next < offsets.size() && offsets[next] < byte + length)
                    ++next;
            }
            byte += length;
            unit += width;
        }
        return units;
    }

    // Records marks the pane must now show, as a step of its own when the pane made one;
    // answers what is wrong with the pane's undo steps, if anything.
    QString recordMarks(int index, const std::vector<int> &units, int countBefore, bool mustStep)
    {
        PaneModel &model = m_panes[index];
        PaneState after = model.state();
        for (int unit : units)
            after.mayBeMarked[unit] = true;
        const bool stepped = undoCount(index) != countBefore;
        if (stepped)
            model.push(std::move(after), StepKind::Marks, -1);
        else
            model.replaceState(std::move(after));
        m_mustBeMarked[index] = units;
        if (mustStep && !stepped)
            return QStringLiteral("%1 pane: the marks made no undo step").arg(paneName(index));
        if (units.empty() && stepped)
            return QStringLiteral("%1 pane: marking nothing made an undo step")
                .arg(paneName(index));
        return {};
    }

    void compare()
    {
        note(QStringLiteral("Compare (size %1, colour %2)")
                 .arg(m_expectedSize)
                 .arg(m_expectedColor, 0, 16));
        const std::string left = text::toCodePage(m_panes[0].state().text);
        const std::string right = text::toCodePage(m_panes[1].state().text);
        const sessionrules::Differences differences = sessionrules::compareBytes(left, right);
        const int counts[] = {undoCount(0), undoCount(1)};
        timed([&] { click("按钮1"); });
        const std::vector<std::size_t> *offsets[] = {&differences.left, &differences.right};
        const bool anyDifference = !differences.left.empty() || !differences.right.empty();
        QString stepProblem;
        for (int index : {0, 1}) {
            const std::vector<int> units =
                unitsHolding(m_panes[index].state().text, *offsets[index]);
            // A pane with differences but none of its own characters to mark may get the
            // format at its insertion point.
            if (anyDifference && units.empty())
                m_panes[index].insertionMayBeMarked = true;
            const QString problem = recordMarks(index, units, counts[index], !units.empty());
            if (stepProblem.isEmpty())
                stepProblem = problem;
        }
        checkPanes();
        if (!stepProblem.isEmpty())
            fail(stepProblem);
        forgetCarets();
    }

    // Sets an edit box as a user does: select its text and paste over it, or delete it.
    void fillBox(EditBox *box, const QString &text)
    {
        box->setFocus();
        settle();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Delete);
        } else {
            QApplication::clipboard()->setText(text);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        }
        settle();
        if (box->text() != text)
            fail(QStringLiteral("the edit box holds '%1' instead of '%2'").arg(box->text(), text));
    }

    void setSearch(const QString &text)
    {
        // An edit of the search text starts the search from the top; pasting over the box's text
        // is an edit even when it brings the same text back.
        if (m_window.searchBox()->text() != text || !text.isEmpty())
            m_findCursor = 0;
        fillBox(m_window.searchBox(), text);
    }

    void checkFindCursor()
    {
        if (m_state.findCursor != m_findCursor)
            fail(QStringLiteral("the find cursor is %1, not %2")
                     .arg(m_state.findCursor)
                     .arg(m_findCursor));
    }

    void findNext()
    {
        if (m_random.chance(50) || m_window.searchBox()->text().isEmpty()) {
            const QString search = pickSearchText();
            note(QStringLiteral("search text '%1'").arg(search));
            setSearch(search);
        }
        const int clicks = 1 + m_random.below(3);
        for (int i = 0; i < clicks && m_failure.isEmpty(); ++i) {
            const std::string text = text::toCodePage(m_panes[0].state().text);
            const std::string search = m_window.searchBox()->content();
            const sessionrules::FindOutcome outcome =
                sessionrules::findNext(text, search, m_findCursor);
            note(QStringLiteral("Find next (expect %1)")
                     .arg(outcome.message ? QStringLiteral("the message")
                                          : QString::number(outcome.found)));
            const int count = undoCount(0);
            const std::size_t messages = m_messages.size();
            timed([&] { click("按钮3"); });
            m_findCursor = outcome.cursor;
            checkFindCursor();
            const std::size_t shown = m_messages.size() - messages;
            if (shown != (outcome.message ? 1u : 0u))
                fail(QStringLiteral("Find next showed %1 messages").arg(shown));
            else if (shown == 1 && m_messages.back() != kEndOfSearch)
                fail(QStringLiteral("Find next showed '%1'").arg(m_messages.back()));
            if (outcome.message) {
                if (undoCount(0) != count)
                    fail(QStringLiteral("Find next that found nothing made an undo step"));
                m_mustBeMarked[0].clear();
                m_mustBeMarked[1].clear();
                continue;
            }
            std::vector<std::size_t> offsets;
            for (std::size_t k = 0; k < search.size(); ++k)
                offsets.push_back(std::size_t(outcome.found - 1) + k);
            const std::vector<int> units = unitsHolding(m_panes[0].state().text, offsets);
            if (units.empty())
                m_panes[0].insertionMayBeMarked = true;
            // A span already marked alike is not marked again, so it may make no step.
            const QString problem = recordMarks(0, units, count, false);
            m_mustBeMarked[1].clear();
            if (m_failure.isEmpty())
                checkPanes();
            if (!problem.isEmpty())
                fail(problem);
        }
        forgetCarets();
    }

    void replaceAll()
    {
        const QString search =
            m_random.chance(80) ? pickSearchText() : sessiontexts::typed(m_random).left(1);
        QString replacement;
        switch (m_random.below(4)) {
        case 0:
            break; // removes the occurrences
        case 1:
            sessiontexts::appendCodePoint(replacement, sessiontexts::fourByteCharacter(m_random));
            break;
        default:
            replacement = sessiontexts::typed(m_random);
        }
        note(QStringLiteral("Replace all '%1' by '%2'").arg(search, replacement));
        setSearch(search);
        fillBox(m_window.replacementBox(), replacement);
        const sessionrules::ReplaceOutcome outcome = sessionrules::replaceAll(
            text::toCodePage(m_panes[0].state().text), m_window.searchBox()->content(),
            m_window.replacementBox()->content());
        const int count = undoCount(0);
        timed([&] { click("按钮5"); });
        if (outcome.found) {
            const QString text = text::fromCodePage(outcome.text);
            m_panes[0].push({text, std::vector<bool>(text.size(), false)}, StepKind::Rewrite,
                            text.isEmpty() ? -1 : int(text.size()));
            m_findCursor = 0;
            if (undoCount(0) == count)
                fail(QStringLiteral("Replace all made no undo step"));
        } else if (undoCount(0) != count) {
            fail(QStringLiteral("Replace all that found nothing made an undo step"));
        }
        checkFindCursor();
        forgetCarets();
    }

    void chooseSize()
    {
        const int item = m_random.below(21);
        note(QStringLiteral("choose size item %1").arg(item));
        ComboBox *list = m_window.sizeList();
        list->showPopup();
        QAbstractItemView *view = list->view();
        if (!QTest::qWaitFor([view] { return view->isVisible(); }))
            return fail(QStringLiteral("the size list did not open"));
        const QModelIndex entry = list->model()->index(item, 0);
        view->scrollTo(entry);
        timed([&] {
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(entry).center());
        });
        m_expectedSize = item < 20 ? item + 1 : 0;
        if (!QTest::qWaitFor([this] { return m_state.highlight->FontSize == m_expectedSize; }))
            fail(QStringLiteral("the highlight size is %1, not %2")
                     .arg(m_state.highlight->FontSize)
                     .arg(m_expectedSize));
        settle();
    }

    void chooseColour()
    {
        const int cell = m_random.below(colorpalette::kCount);
        note(QStringLiteral("choose colour cell %1").arg(cell));
        ColorPicker *picker = m_window.colorPicker();
        QTest::mouseClick(picker, Qt::LeftButton);
        auto *popup = m_window.findChild<ColorPopup *>();
        if (!popup || !QTest::qWaitFor([popup] { return popup->isVisible(); }))
            return fail(QStringLiteral("the colour palette did not open"));
        timed(
            [&] { QTest::mouseClick(popup, Qt::LeftButton, {}, popup->cellRect(cell).center()); });
        if (!QTest::qWaitFor([popup] { return !popup->isVisible(); }))
            return fail(QStringLiteral("the colour palette stayed open"));
        m_expectedColor = colorpalette::entry(cell).value;
        if (m_state.highlight->TextColor != m_expectedColor)
            fail(QStringLiteral("the highlight colour is %1, not %2")
                     .arg(m_state.highlight->TextColor, 0, 16)
                     .arg(m_expectedColor, 0, 16));
        settle();
    }

    // ---- checking -------------------------------------------------------------------------

    // The character format of every UTF-16 unit of the pane, a line break taking the format
    // the next paragraph starts with.
    static std::vector<QTextCharFormat> unitFormats(const RichEdit &pane)
    {
        std::vector<QTextCharFormat> formats;
        const QTextDocument *document = pane.document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                formats.insert(formats.end(), fragment.length(), fragment.charFormat());
            }
            const QTextBlock next = block.next();
            if (next.isValid() && !paragraphs::startsSoftly(next)) // a soft break is no text
                formats.push_back(next.charFormat());
        }
        return formats;
    }

    void checkPanes()
    {
        for (int index : {0, 1}) {
            const PaneState &expected = m_panes[index].state();
            const std::string bytes = pane(index)->context();
            if (bytes != text::toCodePage(expected.text)) {
                const QString actual = text::fromCodePage(bytes);
                int at = 0;
                while (at < actual.size() && at < expected.text.size() &&
                       actual[at] == expected.text[at])
                    ++at;
                return fail(QStringLiteral("%1 pane: %2 units, expected %3; they part at %4: "
                                           "'%5' instead of '%6'")
                                .arg(paneName(index))
                                .arg(actual.size())
                                .arg(expected.text.size())
                                .arg(at)
                                .arg(actual.mid(at, 40), expected.text.mid(at, 40)));
            }
            const std::vector<QTextCharFormat> formats = unitFormats(*pane(index));
            if (formats.size() != std::size_t(expected.text.size()))
                return fail(QStringLiteral("%1 pane: the document holds %2 units for %3")
                                .arg(paneName(index))
                                .arg(formats.size())
                                .arg(expected.text.size()));
            for (std::size_t unit = 0; unit < formats.size(); ++unit) {
                if (formats[unit].fontUnderline() && !expected.mayBeMarked[unit])
                    return fail(QStringLiteral("%1 pane: unit %2 ('%3') is marked, but no mark "
                                               "was made there")
                                    .arg(paneName(index))
                                    .arg(unit)
                                    .arg(expected.text.mid(int(unit), 1)));
            }
            for (int unit : m_mustBeMarked[index]) {
                const QTextCharFormat &format = formats[unit];
                const QString where = QStringLiteral("%1 pane: unit %2 ('%3')")
                                          .arg(paneName(index))
                                          .arg(unit)
                                          .arg(expected.text.mid(unit, 1));
                if (!format.fontUnderline())
                    return fail(where + QStringLiteral(" is not marked"));
                if (m_expectedSize > 0 && format.fontPointSize() != m_expectedSize)
                    return fail(where + QStringLiteral(" is marked in %1 points, not %2")
                                            .arg(format.fontPointSize())
                                            .arg(m_expectedSize));
                const bool automatic = m_expectedColor == CharFormat::AutomaticColor;
                if (automatic != !format.hasProperty(QTextFormat::ForegroundBrush) ||
                    (!automatic &&
                     format.foreground().color() != colorpalette::toQColor(m_expectedColor)))
                    return fail(where + QStringLiteral(" is marked in the wrong colour"));
            }
        }
        m_mustBeMarked[0].clear();
        m_mustBeMarked[1].clear();
    }

    MainWindow &m_window;
    AppState &m_state;
    sessiontexts::Random m_random;
    Sizes m_sizes;
    Kind m_mainKind;

    PaneModel m_panes[2];
    int m_lastCaret[2] = {-1, -1};
    std::vector<int> m_mustBeMarked[2];
    int32_t m_findCursor = 0;
    int32_t m_expectedSize = 9;
    uint32_t m_expectedColor = CharFormat::AutomaticColor;

    QTimer m_boxWatcher;
    QStringList m_messages;
    QStringList m_log;
    QString m_failure;
    double m_stepMs = 0;
    double m_slowestMs = 0;
    QString m_slowestStep;
};

} // namespace session
