#include "screenvalues.h"

#include "app/basics.h"
#include "app/entryroutines.h"
#include "entryscreen.h"
#include "fieldmap.h"
#include "platform/dategrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QRegularExpression>

#include <limits>

namespace records {

namespace {

QString cellText(const EntryScreen &s, int index)
{
    return app::GetSprTxt(*s.sprTarih(index), 1, 1);
}

QString boxText(const EntryScreen &s, int index)
{
    return s.txt(index)->text();
}

QString joinedPlate(const EntryScreen &s, int first)
{
    return boxText(s, first).trimmed() + boxText(s, first + 1).trimmed()
        + boxText(s, first + 2).trimmed();
}

QRadioButton *pairButton(const EntryScreen &s, OwnerPair pair, int index)
{
    switch (pair) {
    case OwnerPair::OptA:
        return s.OptA(index);
    case OwnerPair::OptC:
        return s.optC(index);
    case OwnerPair::OptAdres:
        return s.optAdres(index);
    case OwnerPair::None:
        break;
    }
    return nullptr;
}

// A stored number as a control index. A value no index could reach becomes
// the nearest int, which no control has, instead of an overflow.
int storedIndex(const QVariant &value)
{
    const double d = app::localeNumber(app::NullNum(value));
    if (d >= 1e9)
        return std::numeric_limits<int>::max();
    if (d <= -1e9)
        return std::numeric_limits<int>::min();
    return qRound(d);
}

ScreenError noElement(int index)
{
    return { 340, QStringLiteral("Denetim dizisi öğesi '%1' yok").arg(index) };
}

} // namespace

QString storedDateText(const QVariant &value)
{
    const QString t = value.isNull() ? QString() : value.toString().trimmed();
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const auto m = iso.match(t);
    if (m.hasMatch())
        return m.captured(3) + QLatin1Char('.') + m.captured(2) + QLatin1Char('.') + m.captured(1);
    return t;
}

QString storageDate(const QString &text)
{
    return text.mid(6, 4) + QLatin1Char('-') + text.mid(3, 2) + QLatin1Char('-') + text.left(2);
}

int SecilenSecenek(const EntryScreen &screen, int first, int last)
{
    for (int i = first; i <= last; ++i) {
        if (screen.optX(i) && screen.optX(i)->isChecked())
            return i;
    }
    return 0;
}

QString IsaretliListe(const EntryScreen &screen, int first, int last)
{
    QStringList ticked;
    for (int i = first; i <= last; ++i) {
        if (screen.chkX(i) && screen.chkX(i)->checkState() == Qt::Checked)
            ticked << QString::number(i);
    }
    return ticked.join(QLatin1Char('-'));
}

QString oldPlateKey(const EntryScreen &screen)
{
    const QString key = joinedPlate(screen, 3).trimmed();
    return key.isEmpty() ? QStringLiteral("YOK") : key;
}

RecordValues readScreen(const EntryScreen &s)
{
    RecordValues v;
    v.motorNo = boxText(s, 16).trimmed();
    v.eskiPlaka = oldPlateKey(s);
    for (const VehicleField &f : vehicleFields()) {
        const QString column = QString::fromLatin1(f.column);
        QVariant value;
        switch (f.kind) {
        case FieldKind::KeyText:
            continue;
        case FieldKind::Plate:
            if (f.control == 3)
                continue; // the key, written with the new row
            value = joinedPlate(s, f.control);
            break;
        case FieldKind::Text:
        case FieldKind::TrimmedText:
            value = boxText(s, f.control).trimmed();
            break;
        case FieldKind::Number:
        case FieldKind::Period:
            value = app::localeNumber(app::NullNum(boxText(s, f.control)));
            break;
        case FieldKind::ComboText:
            value = s.cmbX(f.control)->currentText();
            break;
        case FieldKind::Date: {
            const QString t = cellText(s, f.control);
            if (!app::IsValidDate(t))
                continue; // not written: a new row stays empty, an old one keeps its date
            value = storageDate(t);
            break;
        }
        case FieldKind::DateText:
            value = app::NullTxt(cellText(s, f.control));
            break;
        case FieldKind::OptionIndex:
            value = SecilenSecenek(s, f.control, f.last);
            break;
        case FieldKind::CheckList:
            value = IsaretliListe(s, f.control, f.last);
            break;
        case FieldKind::ListIndex:
            value = qMax(0, s.cmbX(f.control)->currentIndex());
            break;
        }
        v.columns.push_back({ column, value });
    }

    for (int n = 1; n <= 3; ++n) {
        const int b = EntryScreen::ownerBase(n);
        const int even = 2 * (n - 1);
        const QString id = boxText(s, b).trimmed();
        if (id.isEmpty())
            continue;
        OwnerValues o;
        o.slot = n;
        o.kimlikNo = id;
        for (const OwnerField &f : ownerFields()) {
            const QString column = QString::fromLatin1(f.column);
            switch (f.kind) {
            case OwnerKind::Key:
                break;
            case OwnerKind::Text:
                o.columns.push_back({ column, boxText(s, b + f.offset) });
                break;
            case OwnerKind::Date: {
                const QString t = cellText(s, n + 2);
                if (app::IsValidDate(t))
                    o.columns.push_back({ column, storageDate(t) });
                break;
            }
            case OwnerKind::ListText:
                o.columns.push_back({ column, s.cmbX(f.offset * n)->currentText() });
                break;
            case OwnerKind::Phone: {
                // Only the column the phone option names is written.
                const bool work = s.optTel(even)->isChecked();
                o.columns.push_back(
                    { work ? QStringLiteral("TELEFONIS") : QStringLiteral("TELEFONEV"),
                        boxText(s, b + 23) + boxText(s, b + 24) });
                break;
            }
            case OwnerKind::Mobile:
                o.columns.push_back({ column, boxText(s, b + 25) + boxText(s, b + 26) });
                break;
            case OwnerKind::Letter:
                o.columns.push_back({ column,
                    pairButton(s, f.pair, even)->isChecked() ? QString::fromUtf8(f.evenLetter)
                                                             : QString::fromUtf8(f.oddLetter) });
                break;
            }
        }
        v.owners.push_back(o);
    }
    return v;
}

std::optional<ScreenError> showVehicle(EntryScreen &s, const QSqlRecord &row)
{
    for (const VehicleField &f : vehicleFieldsInLoadOrder()) {
        const QVariant v = row.value(QString::fromLatin1(f.column));
        switch (f.kind) {
        case FieldKind::KeyText:
        case FieldKind::TrimmedText:
            s.txt(f.control)->setText(app::NullTxt(v));
            break;
        case FieldKind::Text:
            s.txt(f.control)->setText(app::NullTxt(v, true));
            break;
        case FieldKind::Plate: {
            const app::PlateParts p = app::SplitPlate(app::NullTxt(v, true));
            s.txt(f.control)->setText(p.il);
            s.txt(f.control + 1)->setText(p.harf);
            s.txt(f.control + 2)->setText(p.no);
            break;
        }
        case FieldKind::Number:
            s.txt(f.control)->setText(app::NullTxt(v, true));
            break;
        case FieldKind::Period:
            s.txt(f.control)->setText(app::NullNum(v));
            break;
        case FieldKind::ComboText:
            s.cmbX(f.control)->setEditText(app::NullTxt(v, true));
            // The brand's models are listed before the model is set.
            if (f.control == 0)
                s.ModelDoldur();
            break;
        case FieldKind::Date:
        case FieldKind::DateText: {
            const QString t = storedDateText(v);
            if (app::IsValidDate(t))
                app::SetSprTxt(*s.sprTarih(f.control), 1, 1, t);
            break;
        }
        case FieldKind::OptionIndex: {
            const int index = storedIndex(v);
            if (index > 0) {
                if (!s.optX(index))
                    return noElement(index);
                s.optX(index)->setChecked(true);
            }
            break;
        }
        case FieldKind::ListIndex: {
            QComboBox *c = s.cmbX(f.control);
            const int index = storedIndex(v);
            if (index < -1 || index >= c->count())
                return ScreenError { 380,
                    QStringLiteral("Geçersiz özellik değeri: %1").arg(index) };
            c->setCurrentIndex(index);
            break;
        }
        case FieldKind::CheckList: {
            const QString list = app::NullTxt(v);
            if (list.isEmpty())
                break;
            for (const QString &part : list.split(QLatin1Char('-'))) {
                bool ok = false;
                const int index = part.trimmed().toInt(&ok);
                if (!ok)
                    return ScreenError { 13, QStringLiteral("Tür uyuşmazlığı: '%1'").arg(part) };
                if (!s.chkX(index))
                    return noElement(index);
                s.chkX(index)->setChecked(true);
            }
            break;
        }
        }
    }
    return std::nullopt;
}

std::optional<ScreenError> showOwner(EntryScreen &s, int n, const QSqlRecord &row)
{
    const int b = EntryScreen::ownerBase(n);
    const int even = 2 * (n - 1);
    const int odd = even + 1;
    auto showPhone = [&](const QVariant &v, int first) {
        const QString phone = app::NullTxt(v);
        s.txt(first)->setText(phone.left(3));
        s.txt(first + 1)->setText(phone.mid(3));
    };
    for (const OwnerField &f : ownerFields()) {
        const QVariant v = row.value(QString::fromLatin1(f.column));
        switch (f.kind) {
        case OwnerKind::Key:
        case OwnerKind::Text:
            s.txt(b + f.offset)->setText(app::NullTxt(v, true));
            break;
        case OwnerKind::Date: {
            const QString t = storedDateText(v);
            if (app::IsValidDate(t))
                app::SetSprTxt(*s.sprTarih(n + 2), 1, 1, t);
            break;
        }
        case OwnerKind::ListText: {
            if (app::NullTxt(v).isEmpty())
                break;
            QComboBox *c = s.cmbX(f.offset * n);
            const int index = c->findText(app::NullTxt(v, true), Qt::MatchExactly);
            if (index < 0)
                return ScreenError { 383,
                    QStringLiteral("Listede olmayan değer: '%1'").arg(app::NullTxt(v, true)) };
            c->setCurrentIndex(index);
            break;
        }
        case OwnerKind::Phone: {
            const QVariant work = row.value(QStringLiteral("TELEFONIS"));
            if (app::NullTxt(work).isEmpty()) {
                s.optTel(odd)->setChecked(true);
                showPhone(row.value(QStringLiteral("TELEFONEV")), b + 23);
            } else {
                s.optTel(even)->setChecked(true);
                showPhone(work, b + 23);
            }
            break;
        }
        case OwnerKind::Mobile:
            showPhone(v, b + 25);
            break;
        case OwnerKind::Letter: {
            const bool isEven = app::NullTxt(v) == QString::fromUtf8(f.evenLetter);
            pairButton(s, f.pair, isEven ? even : odd)->setChecked(true);
            break;
        }
        }
    }
    return std::nullopt;
}

} // namespace records
