#pragma once

#include <QObject>
#include <QString>

#include <map>

class QWidget;

namespace records {

class EntryBehaviour;

// Warnings about a box's length, shown on the box itself: an amber back
// colour and a tooltip, for as long as any of them holds. A box the clerk
// typed past its end, and a box whose text the form will cut, are marked
// here; the value is never changed.
class BoxMarks : public QObject {
    Q_OBJECT
public:
    enum class Kind { Full, CutOnForm };
    // A box's own tooltip, shown again below any mark and when marks go.
    static constexpr const char *kHint = "evrakmatikHint";

    BoxMarks(EntryBehaviour &behaviour, QObject *parent);
    // An empty reason takes that kind of mark off the box.
    void set(QWidget *box, Kind kind, const QString &reason);
    QString reasons(QWidget *box) const;
    bool marked(QWidget *box) const { return !reasons(box).isEmpty(); }

signals:
    // A line for the status bar, at the moment something was refused.
    void notice(const QString &text);

private:
    void paint(QWidget *box);

    std::map<QWidget *, std::map<Kind, QString>> marks_;
};

} // namespace records
