#include "entrybehaviour.h"

#include "app/entryroutines.h"

#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVariant>

namespace records {

namespace {
const char *kUpper = "evrakmatikUpperOnLeave";
const char *kCombo = "evrakmatikCombo";

// A box left behind keeps no highlighted text, so only one box looks active.
void dropSelection(QWidget *w)
{
    if (auto *line = qobject_cast<QLineEdit *>(w)) {
        line->deselect();
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(w)) {
        QTextCursor c = memo->textCursor();
        c.clearSelection();
        memo->setTextCursor(c);
    }
}
} // namespace

EntryBehaviour::EntryBehaviour(QObject *parent)
    : QObject(parent)
{
}

void EntryBehaviour::paintBack(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
    // A multi-line box paints on its viewport, which keeps a palette of its own.
    if (auto *area = qobject_cast<QAbstractScrollArea *>(w)) {
        QPalette vp = area->viewport()->palette();
        vp.setColor(QPalette::Base, c);
        area->viewport()->setPalette(vp);
    }
}

QColor EntryBehaviour::focusColour()
{
    return QColor(181, 213, 238);
}

void EntryBehaviour::attach(QWidget *w, bool upperOnLeave)
{
    w->setProperty(kUpper, upperOnLeave);
    paintBack(w, Qt::white);
    w->installEventFilter(this);
}

void EntryBehaviour::attachCombo(QComboBox *c)
{
    // The wheel turns a combo only once the clerk has gone into it.
    c->setFocusPolicy(Qt::StrongFocus);
    c->setProperty(kCombo, true);
    c->installEventFilter(this);
    if (!c->isEditable())
        return;
    // An editable combo keeps exactly what was typed: suggestions show in a
    // popup, and only picking one of them (or an item of the list) is a
    // choice. Qt would otherwise complete inline and, on Enter or on leaving
    // the box, replace the text by a matching item and report it as chosen.
    c->completer()->setCompletionMode(QCompleter::PopupCompletion);
    c->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    QObject::disconnect(c->lineEdit(), SIGNAL(returnPressed()), c, nullptr);
    QObject::disconnect(c->lineEdit(), SIGNAL(editingFinished()), c, nullptr);
}

bool EntryBehaviour::eventFilter(QObject *watched, QEvent *event)
{
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w)
        return false;
    if (w->property(kCombo).toBool())
        return event->type() == QEvent::Wheel && !w->hasFocus();
    switch (event->type()) {
    case QEvent::FocusIn:
        // The window coming back (after a message box) is no entering of the
        // box: the cursor stays where it was, so typing goes on.
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::ActiveWindowFocusReason)
            app::SelAll(w);
        paintBack(w, focusColour());
        break;
    case QEvent::FocusOut:
        paintBack(w, Qt::white);
        // A context menu keeps the selection it is about to copy.
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            dropSelection(w);
        if (w->property(kUpper).toBool()) {
            if (auto *line = qobject_cast<QLineEdit *>(w)) {
                const QString upper = line->text().toUpper();
                if (upper != line->text())
                    line->setText(upper);
            }
        }
        emit focusLeft(w, static_cast<QFocusEvent *>(event)->reason());
        break;
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        // An Alt key that reached the box is no shortcut of the window: it
        // must not type its letter over the text.
        if ((key->modifiers() & Qt::AltModifier) && !(key->modifiers() & Qt::ControlModifier)
            && !key->text().isEmpty())
            return true;
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            break;
        // Shift+Enter breaks the line of a multi-line box (its tooltip says so).
        if ((key->modifiers() & Qt::ShiftModifier) && qobject_cast<QPlainTextEdit *>(w)
            && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
            break;
        // The key moves the focus and is not typed into the box it leaves.
        if (app::EnterTab(w, key->key()))
            return true;
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace records
