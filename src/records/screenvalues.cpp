#include "screenvalues.h"

#include "app/basics.h"
#include "app/entryroutines.h"
#include "entryscreen.h"
#include "fieldmap.h"
#include "platform/dategrid.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QRegularExpression>

#include <array>
#include <cmath>
#include <limits>

namespace records {

namespace {

// What the store keeps as the old plate of a vehicle that has none.
QString noOldPlate()
{
    return QStringLiteral("YOK");
}

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

// No choice is stored as an empty text, as an empty box is, not as Null.
QString emptyNotNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
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

ScreenError tooWide(const char *column, const QString &text, int room)
{
    return { 380,
        QStringLiteral("%1 sütunundaki \"%2\" değeri kutusuna sığmıyor (%3 karakter, kutu en "
                       "çok %4 alır); kırpılıp gösterilmedi.")
            .arg(QString::fromLatin1(column), text)
            .arg(text.size())
            .arg(room) };
}

// Every error of a load names the column it came from.
ScreenError named(const char *column, ScreenError error)
{
    const QString name = QString::fromLatin1(column);
    if (!error.description.contains(name))
        error.description = name + QStringLiteral(": ") + error.description;
    return error;
}

bool isNumeric(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return !v.isNull();
    default:
        return false;
    }
}

// A stored number as the shortest text that reads back as the same number.
// In a narrow box the "0" before the decimal comma goes (",5" reads as 0,5),
// so a number typed into the box always fits it again.
QString numberForBox(const QVariant &v, int room)
{
    if (!isNumeric(v))
        return app::NullTxt(v, true);
    QString t;
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
        const double d = v.toDouble();
        t = std::isfinite(d) ? QString::number(d, 'f', QLocale::FloatingPointShortest)
                             : QStringLiteral("0");
        t.replace(QLatin1Char('.'), QLatin1Char(','));
    } else {
        t = v.toString();
    }
    if (t.size() > room) {
        if (t.startsWith(QLatin1String("0,")))
            t.remove(0, 1);
        else if (t.startsWith(QLatin1String("-0,")))
            t.remove(1, 1);
    }
    return t;
}

// Why a date cell's text fails the date check the save applies.
QString whyNotStored(const QString &text)
{
    const QDate d = platform::DateGrid::parse(text);
    if (!d.isValid())
        return QStringLiteral("geçerli bir tarih değil");
    if (d.year() < 1900 || d.year() > 2045)
        return QStringLiteral("kayıt yalnız 1900 ile 2045 yılları arasındaki tarihleri alır");
    return QStringLiteral("GG.AA.YYYY biçiminde değil");
}

int plateRoom(const EntryScreen &s, int first)
{
    return s.txt(first)->maxLength() + s.txt(first + 1)->maxLength()
        + s.txt(first + 2)->maxLength();
}

// The three boxes of a stored plate. The split at the first digit is tried
// first; when its letters or number are too long for their box, the cut
// between the two moves so that the boxes join back to the stored text.
// Nothing when the plate cannot be shown whole.
std::optional<std::array<QString, 3>> plateForBoxes(
    const EntryScreen &s, int first, const QString &stored)
{
    // The store's word for no old plate shows as the empty boxes it was typed
    // as; saved again, they give the same key.
    if (first == 3 && stored.trimmed() == noOldPlate())
        return std::array<QString, 3> {};
    const app::PlateParts p = app::SplitPlate(stored);
    const int ilRoom = s.txt(first)->maxLength();
    const int harfRoom = s.txt(first + 1)->maxLength();
    const int noRoom = s.txt(first + 2)->maxLength();
    if (p.il.size() <= ilRoom && p.harf.size() <= harfRoom && p.no.size() <= noRoom)
        return std::array<QString, 3> { p.il, p.harf, p.no };
    const QString rest = p.harf + p.no;
    const QString joined = stored.trimmed();
    std::optional<std::array<QString, 3>> fitting;
    // Cuts nearest the split at the first digit first.
    QVector<int> cuts;
    for (int d = 0; d <= rest.size(); ++d) {
        for (int k : { int(p.harf.size()) - d, int(p.harf.size()) + d }) {
            if (k >= 0 && k <= rest.size() && !cuts.contains(k))
                cuts << k;
        }
    }
    for (int k : std::as_const(cuts)) {
        if (k > harfRoom || rest.size() - k > noRoom)
            continue;
        const std::array<QString, 3> parts { p.il, rest.left(k), rest.mid(k) };
        if (parts[0].trimmed() + parts[1].trimmed() + parts[2].trimmed() == joined)
            return parts;
        if (!fitting)
            fitting = parts;
    }
    return fitting;
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
    return key.isEmpty() ? noOldPlate() : key;
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
            // A box left empty is no number at all, not 0 on the form.
            value = boxText(s, f.control).trimmed().isEmpty()
                ? QVariant(QMetaType(QMetaType::Double))
                : QVariant(app::localeNumber(app::NullNum(boxText(s, f.control))));
            break;
        case FieldKind::ComboText:
            value = s.cmbX(f.control)->currentText();
            break;
        case FieldKind::Date: {
            const QString t = cellText(s, f.control);
            if (!app::IsValidDate(t)) {
                // Not written: a new row stays empty, an old one keeps its date.
                if (!t.trimmed().isEmpty())
                    v.datesNotStored.push_back(
                        { s.sprTarih(f.control)->accessibleName(), t, whyNotStored(t) });
                continue;
            }
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
        case FieldKind::ListIndex: {
            // No choice is stored as none, not as the list's first item.
            const int choice = listChoice(s.cmbX(f.control));
            value = choice < 0 ? QVariant(QMetaType(QMetaType::Int)) : QVariant(choice);
            break;
        }
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
                else if (!t.trimmed().isEmpty())
                    v.datesNotStored.push_back({ QStringLiteral("%1 (ARAÇ SAHİBİ - %2)")
                                                     .arg(s.sprTarih(n + 2)->accessibleName())
                                                     .arg(n),
                        t, whyNotStored(t) });
                break;
            }
            case OwnerKind::ListText:
                o.columns.push_back({ column, emptyNotNull(s.cmbX(f.offset * n)->currentText()) });
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
                // A pair the clerk never chose is stored empty, never as its second option.
                o.columns.push_back({ column,
                    pairButton(s, f.pair, even)->isChecked() ? QString::fromUtf8(f.evenLetter)
                        : pairButton(s, f.pair, even + 1)->isChecked()
                        ? QString::fromUtf8(f.oddLetter)
                        : emptyNotNull({}) });
                break;
            }
        }
        v.owners.push_back(o);
    }
    return v;
}

std::optional<ScreenError> showVehicle(EntryScreen &s, const QSqlRecord &row, bool apply)
{
    for (const VehicleField &f : vehicleFieldsInLoadOrder()) {
        const QVariant v = row.value(QString::fromLatin1(f.column));
        auto toBox = [&](int index, const QString &text) -> std::optional<ScreenError> {
            if (text.size() > s.txt(index)->maxLength())
                return tooWide(f.column, text, s.txt(index)->maxLength());
            if (apply)
                s.txt(index)->setText(text);
            return std::nullopt;
        };
        auto one = [&]() -> std::optional<ScreenError> {
            switch (f.kind) {
            case FieldKind::KeyText:
            case FieldKind::TrimmedText:
                return toBox(f.control, app::NullTxt(v));
            case FieldKind::Text:
                return toBox(f.control, app::NullTxt(v, true));
            case FieldKind::Plate: {
                const auto parts = plateForBoxes(s, f.control, app::NullTxt(v, true));
                if (!parts)
                    return tooWide(f.column, app::NullTxt(v, true), plateRoom(s, f.control));
                for (int i = 0; i < 3 && apply; ++i)
                    s.txt(f.control + i)->setText((*parts)[size_t(i)]);
                break;
            }
            case FieldKind::Number:
                return toBox(f.control, numberForBox(v, s.txt(f.control)->maxLength()));
            case FieldKind::Period:
                return toBox(f.control,
                    isNumeric(v)      ? numberForBox(v, s.txt(f.control)->maxLength())
                        : v.isNull() ? QString()
                                     : app::NullNum(v));
            case FieldKind::ComboText: {
                QComboBox *c = s.cmbX(f.control);
                const QString text = app::NullTxt(v, true);
                const int room = c->lineEdit() ? c->lineEdit()->maxLength() : 32767;
                if (text.size() > room)
                    return tooWide(f.column, text, room);
                if (!apply)
                    break;
                c->setEditText(text);
                // The brand's models are listed before the model is set.
                if (f.control == 0)
                    s.ModelDoldur();
                break;
            }
            case FieldKind::Date: {
                const QString t = storedDateText(v);
                if (apply && app::IsValidDate(t))
                    app::SetSprTxt(*s.sprTarih(f.control), 1, 1, t);
                break;
            }
            case FieldKind::DateText: {
                // Saved back from the cell on every save, so a text the cell cannot
                // show would be lost by the next save.
                const QString t = storedDateText(v);
                if (t.isEmpty())
                    break;
                if (!platform::DateGrid::inRange(platform::DateGrid::parse(t)))
                    return ScreenError { 380,
                        QStringLiteral("%1 sütunundaki \"%2\" tarih hücresinde gösterilemiyor "
                                       "(GG.AA.YYYY, 01.01.1900 ile 31.12.2100 arası).")
                            .arg(QString::fromLatin1(f.column), t) };
                if (apply)
                    app::SetSprTxt(*s.sprTarih(f.control), 1, 1, t);
                break;
            }
            case FieldKind::OptionIndex: {
                const int index = storedIndex(v);
                if (index > 0) {
                    if (!s.optX(index))
                        return noElement(index);
                    if (apply)
                        s.optX(index)->setChecked(true);
                }
                break;
            }
            case FieldKind::ListIndex: {
                QComboBox *c = s.cmbX(f.control);
                if (v.isNull()) { // no choice stored
                    if (apply)
                        setListChoice(c, -1);
                    break;
                }
                const int index = storedIndex(v);
                const int choices = c->count() - (hasNoChoiceItem(c) ? 1 : 0);
                if (index < -1 || index >= choices)
                    return ScreenError { 380,
                        QStringLiteral("Geçersiz özellik değeri: %1").arg(index) };
                if (apply)
                    setListChoice(c, index);
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
                        return ScreenError { 13,
                            QStringLiteral("Tür uyuşmazlığı: '%1'").arg(part) };
                    if (!s.chkX(index))
                        return noElement(index);
                    if (apply)
                        s.chkX(index)->setChecked(true);
                }
                break;
            }
            }
            return std::nullopt;
        };
        if (auto error = one())
            return named(f.column, *error);
    }
    return std::nullopt;
}

std::optional<ScreenError> showOwner(EntryScreen &s, int n, const QSqlRecord &row, bool apply)
{
    const int b = EntryScreen::ownerBase(n);
    const int even = 2 * (n - 1);
    const int odd = even + 1;
    auto toBox = [&](const char *column, int index,
                     const QString &text) -> std::optional<ScreenError> {
        if (text.size() > s.txt(index)->maxLength())
            return tooWide(column, text, s.txt(index)->maxLength());
        if (apply)
            s.txt(index)->setText(text);
        return std::nullopt;
    };
    auto showPhone = [&](const char *column, const QVariant &v,
                         int first) -> std::optional<ScreenError> {
        const QString phone = app::NullTxt(v);
        const int room = s.txt(first)->maxLength() + s.txt(first + 1)->maxLength();
        if (phone.size() > room)
            return tooWide(column, phone, room);
        if (auto e = toBox(column, first, phone.left(3)))
            return e;
        return toBox(column, first + 1, phone.mid(3));
    };
    for (const OwnerField &f : ownerFields()) {
        const QVariant v = row.value(QString::fromLatin1(f.column));
        auto one = [&]() -> std::optional<ScreenError> {
            switch (f.kind) {
            case OwnerKind::Key:
            case OwnerKind::Text:
                return toBox(f.column, b + f.offset, app::NullTxt(v, true));
            case OwnerKind::Date: {
                const QString t = storedDateText(v);
                if (apply && app::IsValidDate(t))
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
                if (apply)
                    c->setCurrentIndex(index);
                break;
            }
            case OwnerKind::Phone: {
                const QVariant work = row.value(QStringLiteral("TELEFONIS"));
                const bool home = app::NullTxt(work).isEmpty();
                // No phone at all is no phone kind either.
                const bool none =
                    home && app::NullTxt(row.value(QStringLiteral("TELEFONEV"))).isEmpty();
                if (apply && !none)
                    s.optTel(home ? odd : even)->setChecked(true);
                return home ? showPhone("TELEFONEV", row.value(QStringLiteral("TELEFONEV")), b + 23)
                            : showPhone("TELEFONIS", work, b + 23);
            }
            case OwnerKind::Mobile:
                return showPhone(f.column, v, b + 25);
            case OwnerKind::Letter: {
                // Anything but the two letters is no choice, shown as none.
                const QString letter = app::NullTxt(v);
                if (!apply)
                    break;
                if (letter == QString::fromUtf8(f.evenLetter))
                    pairButton(s, f.pair, even)->setChecked(true);
                else if (letter == QString::fromUtf8(f.oddLetter))
                    pairButton(s, f.pair, odd)->setChecked(true);
                break;
            }
            }
            return std::nullopt;
        };
        if (auto error = one())
            return named(f.column, *error);
    }
    return std::nullopt;
}

bool hasNoChoiceItem(const QComboBox *c)
{
    return !c->isEditable() && c->count() > 0 && c->itemText(0).isEmpty();
}

int listChoice(const QComboBox *c)
{
    const int index = c->currentIndex();
    if (index < 0)
        return -1;
    return hasNoChoiceItem(c) ? index - 1 : index;
}

void setListChoice(QComboBox *c, int choice)
{
    if (choice < 0)
        c->setCurrentIndex(hasNoChoiceItem(c) ? 0 : -1);
    else
        c->setCurrentIndex(hasNoChoiceItem(c) ? choice + 1 : choice);
}

void clearChoice(QRadioButton *b)
{
    // An exclusive group keeps one button on; let go of it for a moment.
    QButtonGroup *group = b->group();
    if (group)
        group->setExclusive(false);
    b->setChecked(false);
    if (group)
        group->setExclusive(true);
}

void clearOwnerChoices(EntryScreen &s)
{
    for (int i = 0; i < EntryScreen::kPairCount; ++i) {
        for (QRadioButton *b : { s.OptA(i), s.optC(i), s.optAdres(i), s.optTel(i) })
            clearChoice(b);
    }
    for (int n = 1; n <= 3; ++n) {
        setListChoice(s.cmbX(3 * n), -1);
        setListChoice(s.cmbX(4 * n), -1);
    }
}

QStringList screenState(const EntryScreen &s)
{
    QStringList lines;
    auto add = [&](const char *kind, int i, const QString &value) {
        lines << QStringLiteral("%1(%2)=%3").arg(QLatin1String(kind)).arg(i).arg(value);
    };
    // The print frames' boxes and date are typed for one print, never stored.
    for (int i = 0; i < EntryScreen::kTxtCount; ++i) {
        if (!((i >= 124 && i <= 127) || i >= 131))
            add("txt", i, s.txt(i)->text());
    }
    for (int i = 0; i < 7; ++i)
        add("sprTarih", i, cellText(s, i));
    for (int i : EntryScreen::comboIndices())
        add("cmbX", i, s.cmbX(i)->currentText());
    for (int i = EntryScreen::kOptFirst; i <= EntryScreen::kOptLast; ++i)
        add("optX", i, QString::number(s.optX(i)->isChecked()));
    for (int i = 0; i < EntryScreen::kChkCount; ++i)
        add("chkX", i, QString::number(s.chkX(i)->checkState()));
    for (int i = 0; i < EntryScreen::kPairCount; ++i) {
        for (QRadioButton *b : { s.OptA(i), s.optC(i), s.optAdres(i), s.optTel(i) })
            add("pair", i, QString::number(b->isChecked()));
    }
    return lines;
}

void showAsFresh(EntryScreen &s)
{
    s.EkraniTemizle();
    for (int i = EntryScreen::kOptFirst; i <= EntryScreen::kOptLast; ++i)
        clearChoice(s.optX(i));
    for (int i : EntryScreen::comboIndices()) {
        QComboBox *c = s.cmbX(i);
        if (i == 1) {
            c->clear();
            c->setEnabled(false);
        }
        // The tachograph starts at "YOK", as the window's load sets it.
        setListChoice(c, i == 2 ? 0 : -1);
        if (c->isEditable())
            c->setEditText(QString());
    }
    s.setShownSave({});
    s.settle();
}

} // namespace records
