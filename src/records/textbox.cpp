#include "textbox.h"

#include <QKeyEvent>
#include <QMimeData>

namespace records {

LineBox::LineBox(int maxLength, Qt::Alignment align, QWidget *parent)
    : QLineEdit(parent)
{
    setMaxLength(maxLength);
    setAlignment(align | Qt::AlignVCenter);
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
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    if (printable && room() < typed.size()) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoBox::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    insertPlainText(source->text().left(qMax(0, room())));
}

} // namespace records
