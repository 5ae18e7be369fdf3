#pragma once

#include <QDate>
#include <QString>
#include <QVector>

// Checks of typed values that the registry desk would refuse. Each gives the
// reason in Turkish, or an empty text for a value that looks right. None of
// them stops a save: they only tell the clerk what to look at again.
namespace records::rules {

// Which button of the owner-kind pair ("ŞAHIS" / "TÜZEL KİŞİ") is selected.
enum class OwnerKind { Unknown, Person, LegalEntity };

bool isValidIdentityNumber(const QString &digits); // TC Kimlik No, 11 digits
bool isValidTaxNumber(const QString &digits); // Vergi No, 10 digits
QString identityNumberDoubt(const QString &number, OwnerKind kind);

// The part of a plate a doubt belongs to.
enum class PlatePart { Province, Letters, Number };
struct PlateDoubt {
    PlatePart part;
    QString reason;
};
// A plate from its three boxes; an empty plate raises no doubt.
QVector<PlateDoubt> plateDoubts(
    const QString &province, const QString &letters, const QString &number);

QString chassisDoubt(const QString &chassis);
// A number box whose text the store cannot keep as a number (it keeps 0).
QString numberDoubt(const QString &text);
QString modelYearDoubt(const QString &year, const QDate &today);

// Which date rule a cell follows.
enum class DateKind { Birth, Policy };
// A date that cannot be read raises no doubt: the date cell refuses it itself.
QString dateDoubt(DateKind kind, const QDate &date, const QDate &today);

} // namespace records::rules
