#include "typingguards.h"

#include "entrybehaviour.h"
#include "entryscreen.h"
#include "fieldmap.h"
#include "platform/dategrid.h"
#include "returningowner.h"
#include "typingrules.h"

#include <QLineEdit>
#include <QRadioButton>

#include <vector>

namespace records {

enum class Check { Plate, ModelYear, Chassis, Number, PolicyDate, Identity, BirthDate };

// A guarded input: a check and where it reads (the first plate box, a text
// box, a date cell, or an owner number).
struct GuardGroup {
    Check check;
    int index;
};

namespace {

// In screen order, which is the order the success box lists the doubts in.
const GuardGroup kGroups[] = {
    { Check::Plate, 0 },
    { Check::Plate, 3 },
    { Check::PolicyDate, 2 },
    { Check::ModelYear, 11 },
    { Check::Chassis, 17 },
    { Check::Identity, 1 },
    { Check::BirthDate, 1 },
    { Check::Identity, 2 },
    { Check::BirthDate, 2 },
    { Check::Identity, 3 },
    { Check::BirthDate, 3 },
};

// The fixed groups with every number box of the field map after the chassis,
// since the store keeps a number box's text only when it reads as a number.
const std::vector<GuardGroup> &groups()
{
    static const std::vector<GuardGroup> all = [] {
        std::vector<GuardGroup> g;
        for (const GuardGroup &fixed : kGroups) {
            g.push_back(fixed);
            if (fixed.check != Check::Chassis)
                continue;
            for (const VehicleField &f : vehicleFields()) {
                if (f.kind == FieldKind::Number || f.kind == FieldKind::Period)
                    g.push_back({ Check::Number, f.control });
            }
        }
        return g;
    }();
    return all;
}

QString textOf(QWidget *box)
{
    auto *line = qobject_cast<QLineEdit *>(box);
    return line ? line->text() : QString();
}

void paintBack(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
}

QWidget *identityBox(const EntryScreen &s, int n)
{
    return s.txt(EntryScreen::ownerBase(n))->widget();
}

rules::OwnerKind ownerKind(const EntryScreen &s, int n)
{
    if (s.OptA(2 * (n - 1))->isChecked())
        return rules::OwnerKind::Person;
    if (s.OptA(2 * (n - 1) + 1)->isChecked())
        return rules::OwnerKind::LegalEntity;
    return rules::OwnerKind::Unknown;
}

} // namespace

TypingGuards::TypingGuards(EntryScreen &screen, EntryBehaviour &behaviour)
    : QObject(&screen)
    , screen_(screen)
{
    for (int g = 0; g < int(groups().size()); ++g) {
        const GuardGroup &group = groups()[size_t(g)];
        for (QWidget *box : boxes(group)) {
            groupOf_[box] = g;
            // A text set from elsewhere (a load, "Temizle", a commit of the date
            // cell) is checked at once; typing is checked when the box is left.
            connect(qobject_cast<QLineEdit *>(box), &QLineEdit::textChanged, this, [this, g, box] {
                if (!box->hasFocus())
                    apply(groups()[size_t(g)], box);
            });
        }
        if (group.check == Check::Identity) {
            for (int i : { 2 * (group.index - 1), 2 * (group.index - 1) + 1 })
                connect(screen_.OptA(i), &QRadioButton::toggled, this,
                    [this, g] { apply(groups()[size_t(g)], boxes(groups()[size_t(g)]).first()); });
        }
    }
    connect(&behaviour, &EntryBehaviour::focusLeft, this, &TypingGuards::focusLeft);
}

QColor TypingGuards::warningColour()
{
    // Light amber: apart from the light-blue focus colour, black text stays readable.
    return QColor(255, 226, 150);
}

QVector<QWidget *> TypingGuards::boxes(const GuardGroup &g) const
{
    switch (g.check) {
    case Check::Plate:
        return { screen_.txt(g.index)->widget(), screen_.txt(g.index + 1)->widget(),
            screen_.txt(g.index + 2)->widget() };
    case Check::ModelYear:
    case Check::Chassis:
    case Check::Number:
        return { screen_.txt(g.index)->widget() };
    case Check::PolicyDate:
        return { screen_.sprTarih(g.index) };
    case Check::Identity:
        return { identityBox(screen_, g.index) };
    case Check::BirthDate:
        return { screen_.sprTarih(g.index + 2) };
    }
    return {};
}

QVector<TypingGuards::Finding> TypingGuards::findings(const GuardGroup &g) const
{
    const QVector<QWidget *> b = boxes(g);
    const QDate today = QDate::currentDate();
    QString reason;
    switch (g.check) {
    case Check::Plate: {
        QVector<Finding> found;
        for (const rules::PlateDoubt &d :
            rules::plateDoubts(textOf(b[0]), textOf(b[1]), textOf(b[2])))
            found.push_back({ b[int(d.part)], d.reason });
        return found;
    }
    case Check::ModelYear:
        reason = rules::modelYearDoubt(textOf(b[0]), today);
        break;
    case Check::Chassis:
        reason = rules::chassisDoubt(textOf(b[0]));
        break;
    case Check::Number:
        reason = rules::numberDoubt(textOf(b[0]));
        break;
    case Check::PolicyDate:
        reason = rules::dateDoubt(
            rules::DateKind::Policy, platform::DateGrid::parse(textOf(b[0])), today);
        break;
    case Check::Identity: {
        reason = rules::identityNumberDoubt(textOf(b[0]), ownerKind(screen_, g.index));
        // The save keeps one owner row per number, so the panels would share it;
        // without a number it keeps nothing of the panel.
        const QString number = textOf(b[0]).trimmed();
        if (number.isEmpty() && !ownerPanelEmpty(screen_, g.index))
            reason = QStringLiteral("Kimlik No boş: bu paneldeki bilgiler kaydedilmez.");
        for (int other = 1; other <= 3 && !number.isEmpty(); ++other) {
            if (other == g.index || textOf(identityBox(screen_, other)).trimmed() != number)
                continue;
            const QString twice = QStringLiteral("Bu numara %1. sahipte de yazılı: kayıtta iki "
                                                 "panel tek sahip olur, sonraki panelin bilgileri "
                                                 "kalır.")
                                      .arg(other);
            reason = reason.isEmpty() ? twice : reason + QStringLiteral("; ") + twice;
            break;
        }
        break;
    }
    case Check::BirthDate:
        reason = rules::dateDoubt(
            rules::DateKind::Birth, platform::DateGrid::parse(textOf(b[0])), today);
        break;
    }
    if (reason.isEmpty())
        return {};
    return { { b[0], reason } };
}

void TypingGuards::apply(const GuardGroup &g, QWidget *left)
{
    applyOne(g, left);
    // A number shared with another panel marks both, and unmarks both once changed.
    if (g.check != Check::Identity)
        return;
    for (const GuardGroup &other : groups()) {
        if (other.check == Check::Identity && other.index != g.index)
            applyOne(other, identityBox(screen_, other.index));
    }
}

void TypingGuards::applyOne(const GuardGroup &g, QWidget *left)
{
    const QVector<Finding> found = findings(g);
    for (QWidget *box : boxes(g)) {
        QString reason;
        for (const Finding &f : found) {
            if (f.box == box)
                reason = f.reason;
        }
        const bool reached = !left || box == left || !textOf(box).trimmed().isEmpty();
        if (reached || reason.isEmpty())
            mark(box, reached ? reason : QString());
    }
}

void TypingGuards::mark(QWidget *box, const QString &reason)
{
    const bool was = marked_.count(box) > 0;
    if (reason.isEmpty()) {
        if (!was)
            return;
        marked_.erase(box);
        box->setToolTip(QString());
    } else {
        marked_.insert(box);
        box->setToolTip(reason);
    }
    // A box being typed in keeps the focus colour; it is repainted when left.
    if (!box->hasFocus())
        paintBack(box, reason.isEmpty() ? QColor(Qt::white) : warningColour());
}

void TypingGuards::focusLeft(QWidget *w, Qt::FocusReason reason)
{
    const auto it = groupOf_.find(w);
    if (it == groupOf_.end())
        return;
    const GuardGroup &g = groups()[size_t(it->second)];
    apply(g, w);
    // Switching to another program is not leaving the box.
    if (g.check == Check::Identity && reason != Qt::ActiveWindowFocusReason
        && reason != Qt::PopupFocusReason)
        queueStoredOwnerOffer(screen_, g.index);
}

QString TypingGuards::label(const GuardGroup &g) const
{
    const QString own = boxes(g).first()->accessibleName();
    if (g.check == Check::Identity || g.check == Check::BirthDate)
        return QStringLiteral("ARAÇ SAHİBİ - %1, %2").arg(g.index).arg(own);
    return own;
}

QString TypingGuards::value(const GuardGroup &g) const
{
    QStringList parts;
    for (QWidget *box : boxes(g)) {
        if (!textOf(box).trimmed().isEmpty())
            parts << textOf(box).trimmed();
    }
    return parts.join(QLatin1Char(' '));
}

QVector<TypingGuards::Doubt> TypingGuards::checkAll()
{
    QVector<Doubt> doubts;
    for (const GuardGroup &g : groups()) {
        apply(g, nullptr);
        for (const Finding &f : findings(g))
            doubts.push_back({ label(g), value(g), f.reason });
    }
    return doubts;
}

QString TypingGuards::doubtParagraph(const QVector<Doubt> &doubts)
{
    if (doubts.isEmpty())
        return {};
    QStringList lines { QStringLiteral("Gözden geçirilmesi önerilen değerler:") };
    for (const Doubt &d : doubts)
        lines << (d.value.isEmpty()
                ? QStringLiteral("- %1 (%2)").arg(d.label, d.reason)
                : QStringLiteral("- %1: %2 (%3)").arg(d.label, d.value, d.reason));
    return lines.join(QLatin1Char('\n'));
}

} // namespace records
