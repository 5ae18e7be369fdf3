#include "textbox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>

namespace records {

LineBox::LineBox(int maxLength, Qt::Alignment align, QWidget *parent)
    : QLineEdit(parent)
{
    setMaxLength(maxLength);
    setAlignment(align | Qt::AlignVCenter);
    // A key typed into a full box; a paste that was cut reports itself below.
    connect(this, &QLineEdit::inputRejected, this, [this] {
        if (refused && !pasting_)
            refused(1);
    });
}

void LineBox::keyPressEvent(QKeyEvent *event)
{
    if (!event->matches(QKeySequence::Paste) || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // A single-line box takes the clipboard's first line.
    const QString pasted = QGuiApplication::clipboard()->text().section(QLatin1Char('\n'), 0, 0);
    const int room = maxLength() - int(text().size()) + int(selectedText().size());
    pasting_ = true;
    QLineEdit::keyPressEvent(event);
    pasting_ = false;
    if (refused && pasted.size() > room)
        refused(int(pasted.size()) - qMax(0, room));
}

MemoBox::MemoBox(int maxLength, bool scrollBar, QWidget *parent)
    : QPlainTextEdit(parent)
    , maxLength_(maxLength)
{
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void MemoBox::setText(const QString &text)
{
    setPlainText(text.left(maxLength_));
}

int MemoBox::room() const
{
    return maxLength_ - int(toPlainText().size()) + int(textCursor().selectedText().size());
}

void MemoBox::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
        // A plain line break, counted against the length like any character.
        if (room() >= 1)
            insertPlainText(QStringLiteral("\n"));
        else if (refused)
            refused(1);
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    if (printable && room() < typed.size()) {
        event->accept();
        if (refused)
            refused(int(typed.size()) - qMax(0, room()));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoBox::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    const QString text = source->text();
    const int room = qMax(0, this->room());
    insertPlainText(text.left(room));
    if (refused && text.size() > room)
        refused(int(text.size()) - room);
}

} // namespace records
