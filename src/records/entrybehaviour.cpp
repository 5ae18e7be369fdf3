#include "entrybehaviour.h"

#include "app/entryroutines.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVariant>

namespace records {

namespace {
const char *kUpper = "evrakmatikUpperOnLeave";

void paintBack(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
}
} // namespace

EntryBehaviour::EntryBehaviour(QObject *parent)
    : QObject(parent)
{
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

bool EntryBehaviour::eventFilter(QObject *watched, QEvent *event)
{
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        app::SelAll(w);
        paintBack(w, focusColour());
        break;
    case QEvent::FocusOut:
        paintBack(w, Qt::white);
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
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
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
