#pragma once

// What a session expects of the two panes: each pane's text, which of its characters may carry a
// mark, and the pane's undo history, step by step as the pane keeps it. Texts are held as the
// pane shows them (UTF-16, a line break as '\n'); one flag per UTF-16 unit.

#include <cstddef>
#include <vector>

#include <QString>

namespace sessionmodel {

// The text as a pane holds it after a paste: every line end becomes one line break.
inline QString asPaneText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

struct PaneState
{
    QString text;
    // Per UTF-16 unit: true where a mark may be; a character outside these is never marked.
    std::vector<bool> mayBeMarked;
};

// What made an undo step; typing, Backspace and Delete may join the step before them.
enum class StepKind
{
    Start,
    Type,
    Paste,
    LineBreak,
    Backspace,
    Delete,
    Cut,
    DeleteAll,
    Rewrite, // Clear or Replace all writing the whole text
    Marks,   // Compare or Find next formatting characters
    Unseen,  // a step that changes nothing visible
};

struct Step
{
    PaneState after;
    StepKind kind = StepKind::Start;
    int caretAfter = 0;
};

class PaneModel
{
public:
    PaneModel() { m_steps.push_back({}); }

    const PaneState &state() const { return m_steps[m_current].after; }
    const Step &currentStep() const { return m_steps[m_current]; }
    bool canUndo() const { return m_current > 0; }
    bool canRedo() const { return m_current + 1 < m_steps.size(); }

    void undo()
    {
        if (canUndo())
            --m_current;
    }
    void redo()
    {
        if (canRedo())
            ++m_current;
    }

    // A new undo step; the steps that could be redone are gone.
    void push(PaneState after, StepKind kind, int caretAfter)
    {
        m_steps.resize(m_current + 1);
        m_steps.push_back({std::move(after), kind, caretAfter});
        ++m_current;
    }
    // The change joins the current step, which one undo then takes back whole.
    void joinCurrent(PaneState after, int caretAfter)
    {
        m_steps.resize(m_current + 1);
        m_steps[m_current].after = std::move(after);
        m_steps[m_current].caretAfter = caretAfter;
    }
    // A change that is no undo step of its own (marks the pane chose not to record).
    void replaceState(PaneState after) { m_steps[m_current].after = std::move(after); }

    // Whether a typed character or a key press of this kind at this caret may join the current
    // step, as the pane's undo joins an edit to the one before it: typing joins the insertion of
    // typed, pasted or written text that ended at the caret; Backspace and Delete join a step of
    // either key (where the removed characters border each other in the pane's own store, which
    // the model leaves to the pane).
    bool mayJoin(StepKind kind, int caret) const
    {
        const Step &step = currentStep();
        if (m_current == 0)
            return false;
        const auto removes = [](StepKind k) {
            return k == StepKind::Backspace || k == StepKind::Delete;
        };
        if (kind == StepKind::Type)
            return step.caretAfter == caret &&
                   (step.kind == StepKind::Type || step.kind == StepKind::Paste ||
                    step.kind == StepKind::Rewrite);
        return removes(kind) && removes(step.kind);
    }

    // Set once a format may have gone to the insertion point or may have stayed behind a removed
    // marked character: new text may then carry a mark wherever it goes.
    bool insertionMayBeMarked = false;

private:
    std::vector<Step> m_steps;
    std::size_t m_current = 0;
};

// The state after replacing units [from, to) of the text with inserted. A new character may be
// marked where a neighbour may be or the insertion point may carry a mark.
inline PaneState edited(const PaneState &before, int from, int to, const QString &inserted,
                        bool insertionMayBeMarked)
{
    PaneState after;
    after.text = before.text;
    after.text.replace(from, to - from, inserted);
    const auto &flags = before.mayBeMarked;
    const bool neighbour = (from > 0 && flags[from - 1]) || (to < int(flags.size()) && flags[to]);
    after.mayBeMarked.reserve(flags.size() - (to - from) + inserted.size());
    after.mayBeMarked.assign(flags.begin(), flags.begin() + from);
    after.mayBeMarked.insert(after.mayBeMarked.end(), inserted.size(),
                             neighbour || insertionMayBeMarked);
    after.mayBeMarked.insert(after.mayBeMarked.end(), flags.begin() + to, flags.end());
    return after;
}

inline bool removesMarkable(const PaneState &state, int from, int to)
{
    for (int i = from; i < to; ++i) {
        if (state.mayBeMarked[i])
            return true;
    }
    return false;
}

} // namespace sessionmodel
