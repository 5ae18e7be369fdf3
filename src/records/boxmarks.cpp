#include "boxmarks.h"

#include "entrybehaviour.h"
#include "typingguards.h"

#include <QStringList>
#include <QWidget>

namespace records {

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
        EntryBehaviour::paintBack(box, TypingGuards::warningColour());
    else
        EntryBehaviour::paintBack(
            box, box->hasFocus() ? EntryBehaviour::focusColour() : QColor(Qt::white));
}

} // namespace records
