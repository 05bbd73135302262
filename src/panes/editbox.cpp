#include "panes/editbox.h"

#include <QKeyEvent>
#include <QValidator>

#include "text/codepage.h"

namespace {

// A single-line box cannot hold a line break: a pasted one becomes a space, so nothing of the
// pasted text disappears.
class LineBreaksToSpaces : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        input.replace(QLatin1String("\r\n"), QLatin1String(" "));
        for (QChar &ch : input) {
            if (ch == u'\n' || ch == u'\r' || ch == QChar::ParagraphSeparator ||
                ch == QChar::LineSeparator)
                ch = u' ';
        }
        return Acceptable;
    }
};

} // namespace

EditBox::EditBox(QWidget *parent) : QLineEdit(parent)
{
    setMaxLength(std::numeric_limits<int>::max());
    setValidator(new LineBreaksToSpaces(this));
}

std::string EditBox::content() const
{
    return text::toCodePage(text());
}

void EditBox::keyPressEvent(QKeyEvent *event)
{
    // Ctrl+Y redoes wherever the program runs, as in the panes: on X11 Qt's redo key is only
    // Ctrl+Shift+Z.
    if (!isReadOnly() && event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier) {
        redo();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
