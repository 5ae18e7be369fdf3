#include "boxmarks.h"

#include "entrybehaviour.h"
#include "typingguards.h"

#include <QAbstractScrollArea>
#include <QStringList>
#include <QWidget>

namespace records {

namespace {

void paintBack(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
    if (auto *area = qobject_cast<QAbstractScrollArea *>(w)) {
        QPalette vp = area->viewport()->palette();
        vp.setColor(QPalette::Base, c);
        area->viewport()->setPalette(vp);
    }
}

} // namespace

BoxMarks::BoxMarks(EntryBehaviour &behaviour, QObject *parent)
    : QObject(parent)
{
    // Leaving a box paints it white first: a mark that still holds comes back.
    connect(&behaviour, &EntryBehaviour::focusLeft, this, [this](QWidget *w, Qt::FocusReason) {
        if (marked(w))
            paint(w);
    });
}

void BoxMarks::set(QWidget *box, Kind kind, const QString &reason)
{
    auto &kinds = marks_[box];
    const auto it = kinds.find(kind);
    const QString before = it == kinds.end() ? QString() : it->second;
    if (before == reason)
        return;
    if (reason.isEmpty())
        kinds.erase(kind);
    else
        kinds[kind] = reason;
    if (kinds.empty())
        marks_.erase(box);
    paint(box);
}

QString BoxMarks::reasons(QWidget *box) const
{
    const auto it = marks_.find(box);
    if (it == marks_.end())
        return QString();
    QStringList lines;
    for (const auto &[kind, reason] : it->second)
        lines << reason;
    return lines.join(QLatin1Char('\n'));
}

void BoxMarks::paint(QWidget *box)
{
    const QString why = reasons(box);
    const QString hint = box->property(kHint).toString();
    box->setToolTip(why.isEmpty() || hint.isEmpty() ? why + hint : why + QLatin1Char('\n') + hint);
    if (!why.isEmpty())
        paintBack(box, TypingGuards::warningColour());
    else
        paintBack(box, box->hasFocus() ? EntryBehaviour::focusColour() : QColor(Qt::white));
}

} // namespace records
