#include "typingrules.h"

#include "app/basics.h"

#include <algorithm>

namespace records::rules {

namespace {

bool allDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

int digit(const QString &text, int position) // position counts from 1
{
    return text.at(position - 1).unicode() - '0';
}

// Latin letters without Q, W and X; the Turkish letters never appear on plates.
bool isPlateLetter(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z') && c != QLatin1Char('Q')
        && c != QLatin1Char('W') && c != QLatin1Char('X');
}

// How many digits a plate may have after 1, 2 or 3 letters.
struct PlateShape {
    int letters, fewest, most;
};
constexpr PlateShape kPlateShapes[] = { { 1, 4, 5 }, { 2, 3, 4 }, { 3, 2, 3 } };

struct DateRule {
    DateKind kind;
    int yearsBack; // earliest plausible date, in years before today; 0: no limit
    int yearsAhead; // latest plausible date, in years after today
    const char *tooOld;
    const char *tooLate;
};
const DateRule kDateRules[] = {
    { DateKind::Birth, 120, 0, "Doğum tarihi 120 yıldan daha eski.",
        "Doğum tarihi ileri bir tarih." },
    { DateKind::Policy, 0, 1, "", "Poliçe tarihi bugünden bir yıldan daha ileride." },
};

} // namespace

bool isValidIdentityNumber(const QString &d)
{
    if (d.size() != 11 || !allDigits(d) || digit(d, 1) == 0)
        return false;
    const int odd = digit(d, 1) + digit(d, 3) + digit(d, 5) + digit(d, 7) + digit(d, 9);
    const int even = digit(d, 2) + digit(d, 4) + digit(d, 6) + digit(d, 8);
    // The remainder is taken non-negative: the even sum may outweigh seven odd sums.
    const int tenth = ((odd * 7 - even) % 10 + 10) % 10;
    int sum = 0;
    for (int i = 1; i <= 10; ++i)
        sum += digit(d, i);
    return digit(d, 10) == tenth && digit(d, 11) == sum % 10;
}

bool isValidTaxNumber(const QString &d)
{
    if (d.size() != 10 || !allDigits(d))
        return false;
    int sum = 0;
    for (int i = 1; i <= 9; ++i) {
        const int t = (digit(d, i) + 10 - i) % 10;
        int v = (t * (1 << (10 - i))) % 9;
        if (t != 0 && v == 0)
            v = 9;
        sum += v;
    }
    return digit(d, 10) == (10 - sum % 10) % 10;
}

QString identityNumberDoubt(const QString &number, OwnerKind kind)
{
    const QString n = number.trimmed();
    if (n.isEmpty())
        return {};
    if (!allDigits(n))
        return QStringLiteral("Kimlik / Vergi No yalnız rakamlardan oluşur.");
    if (n.size() == 11) {
        if (n.at(0) == QLatin1Char('0'))
            return QStringLiteral("TC Kimlik No 0 ile başlamaz.");
        if (!isValidIdentityNumber(n))
            return QStringLiteral("TC Kimlik No'nun kontrol haneleri tutmuyor.");
        if (kind == OwnerKind::LegalEntity)
            return QStringLiteral("11 haneli numara bir TC Kimlik No, ama \"TÜZEL KİŞİ\" seçili.");
        return {};
    }
    if (n.size() == 10) {
        if (!isValidTaxNumber(n))
            return QStringLiteral("Vergi No'nun kontrol hanesi tutmuyor.");
        if (kind == OwnerKind::Person)
            return QStringLiteral("10 haneli numara bir Vergi No, ama \"ŞAHIS\" seçili.");
        return {};
    }
    return QStringLiteral("TC Kimlik No 11, Vergi No 10 hanelidir; bu numara %1 haneli.")
        .arg(n.size());
}

QVector<PlateDoubt> plateDoubts(
    const QString &provinceText, const QString &lettersText, const QString &numberText)
{
    const QString province = provinceText.trimmed();
    const QString letters = lettersText.trimmed().toUpper();
    const QString number = numberText.trimmed();
    QVector<PlateDoubt> doubts;
    if (province.isEmpty() && letters.isEmpty() && number.isEmpty())
        return doubts;
    const int code = province.toInt();
    if (province.size() != 2 || !allDigits(province) || code < 1 || code > 81)
        doubts.push_back({ PlatePart::Province,
            QStringLiteral("Olağandışı plaka: il kodu 01 ile 81 arasında olur.") });
    if (!std::all_of(letters.begin(), letters.end(), isPlateLetter))
        doubts.push_back({ PlatePart::Letters,
            QStringLiteral("Olağandışı plaka: Ç, Ğ, İ, Ö, Ş, Ü, Q, W ve X plakada kullanılmaz.") });
    const PlateShape *shape = nullptr;
    for (const PlateShape &s : kPlateShapes) {
        if (s.letters == letters.size())
            shape = &s;
    }
    if (!shape || !allDigits(number) || number.size() < shape->fewest
        || number.size() > shape->most)
        doubts.push_back({ PlatePart::Number,
            QStringLiteral("Olağandışı plaka: 1 harfle 4-5, 2 harfle 3-4, 3 harfle 2-3 rakam "
                           "olur.") });
    return doubts;
}

QString chassisDoubt(const QString &chassisText)
{
    // Older vehicles have shorter numbers, which follow no fixed alphabet.
    const QString chassis = chassisText.trimmed().toUpper();
    if (chassis.size() != 17)
        return {};
    for (const QChar c : chassis) {
        const bool digitOrLetter = (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
        if (!digitOrLetter || c == QLatin1Char('I') || c == QLatin1Char('O')
            || c == QLatin1Char('Q'))
            return QStringLiteral(
                "17 haneli Şase No yalnız rakam ve harften oluşur; I, O ve Q kullanılmaz.");
    }
    return {};
}

QString numberDoubt(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || app::NullNum(t) == t)
        return {};
    return QStringLiteral("Sayı değil: kayıtta 0 olarak saklanır (yalnız rakam, \",\" ve \".\").");
}

QString modelYearDoubt(const QString &yearText, const QDate &today)
{
    const QString year = yearText.trimmed();
    if (year.isEmpty())
        return {};
    const int last = today.year() + 1;
    if (year.size() == 4 && allDigits(year) && year.toInt() >= 1900 && year.toInt() <= last)
        return {};
    return QStringLiteral("Model yılı 1900 ile %1 arasında dört haneli bir yıl olur.").arg(last);
}

QString dateDoubt(DateKind kind, const QDate &date, const QDate &today)
{
    if (!date.isValid())
        return {};
    for (const DateRule &r : kDateRules) {
        if (r.kind != kind)
            continue;
        if (r.yearsBack > 0 && date < today.addYears(-r.yearsBack))
            return QString::fromUtf8(r.tooOld);
        if (date > today.addYears(r.yearsAhead))
            return QString::fromUtf8(r.tooLate);
    }
    return {};
}

} // namespace records::rules
