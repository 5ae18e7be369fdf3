#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QVector>

#include <map>
#include <set>

class QWidget;

namespace records {

class EntryBehaviour;
class EntryScreen;
struct GuardGroup;

// Marks doubtful values on the entry screen: a warning colour and a tooltip
// with the reason on each doubtful box, checked when a box loses the focus,
// when its text is set from elsewhere (loading, clearing) and on "Kaydet".
// It never changes a value and never stops a save.
class TypingGuards : public QObject {
    Q_OBJECT
public:
    struct Doubt {
        QString label;
        QString value;
        QString reason;
    };

    TypingGuards(EntryScreen &screen, EntryBehaviour &behaviour);

    // Checks every guarded input, marks what is doubtful, clears the rest.
    QVector<Doubt> checkAll();
    // The success box's paragraph naming the doubts; empty when there are none.
    static QString doubtParagraph(const QVector<Doubt> &doubts);
    static QColor warningColour();

private:
    struct Finding {
        QWidget *box;
        QString reason;
    };
    QVector<QWidget *> boxes(const GuardGroup &g) const;
    QVector<Finding> findings(const GuardGroup &g) const;
    // Marks the group's boxes. A box the clerk has not reached yet (empty and
    // not the one just left) only loses a mark, so it is not flagged ahead.
    void apply(const GuardGroup &g, QWidget *left);
    void applyOne(const GuardGroup &g, QWidget *left);
    void mark(QWidget *box, const QString &reason);
    void focusLeft(QWidget *w, Qt::FocusReason reason);
    QString label(const GuardGroup &g) const;
    QString value(const GuardGroup &g) const;

    EntryScreen &screen_;
    std::map<QWidget *, int> groupOf_;
    std::set<QWidget *> marked_;
};

} // namespace records
