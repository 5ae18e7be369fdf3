#include "entryroutines.h"

#include "basics.h"
#include "errorbox.h"
#include "platform/gridcells.h"

#include <QApplication>
#include <QDate>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

#include <algorithm>

namespace app {

QString PlakaIl;
QString PlakaHarf;
QString PlakaNo;

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.');
}

QString valueText(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    return value.toString();
}

} // namespace

bool IsValidDate(const QVariant &value)
{
    const QString t = valueText(value);
    if (t.size() != 10)
        return false;
    if (!isSeparator(t[2]) || !isSeparator(t[5]))
        return false;
    for (int i : { 0, 1, 3, 4, 6, 7, 8, 9 }) {
        if (!t[i].isDigit() || t[i].unicode() > 127)
            return false;
    }
    const int day = t.left(2).toInt();
    const int month = t.mid(3, 2).toInt();
    const int year = t.mid(6, 4).toInt();
    if (!QDate(year, month, day).isValid())
        return false;
    return day >= 1 && day <= 31 && month >= 1 && month <= 12 && year >= 1900 && year <= 2045;
}

QString TrUpper(const QVariant &value)
{
    return TrUpperText(value.toString());
}

QChar TrUpperChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'a' && u <= u'z')
        return u == u'i' ? QChar(u'İ') : QChar(char16_t(u - 32));
    if (u < 128)
        return c;
    switch (u) {
    case u'ü':
        return QChar(u'Ü');
    case u'ş':
        return QChar(u'Ş');
    case u'ğ':
        return QChar(u'Ğ');
    case u'ö':
        return QChar(u'Ö');
    case u'ç':
        return QChar(u'Ç');
    case u'ı':
        return QChar(u'I');
    default:
        return c.toUpper();
    }
}

QString TrUpperText(const QString &text)
{
    // Plates and serial numbers are mostly upper-case already: share them.
    if (std::none_of(text.cbegin(), text.cend(),
            [](QChar c) { return c.unicode() >= 128 || (c >= u'a' && c <= u'z'); }))
        return text;
    QString t(text.size(), Qt::Uninitialized);
    QChar *out = t.data();
    for (const QChar c : text)
        *out++ = TrUpperChar(c);
    return t;
}

bool startsWithTrUpper(QStringView text, QStringView foldedPrefix)
{
    if (foldedPrefix.size() > text.size())
        return false;
    for (qsizetype i = 0; i < foldedPrefix.size(); ++i) {
        if (TrUpperChar(text[i]) != foldedPrefix[i])
            return false;
    }
    return true;
}

int KeyDigits(int code)
{
    if ((code >= '0' && code <= '9') || code == 8 || code == ',' || code == '.')
        return code;
    return 0;
}

bool EnterTab(QWidget *widget, int qtKey)
{
    if (!widget)
        return false;
    Qt::Key key;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter || qtKey == Qt::Key_Down) {
        key = Qt::Key_Tab;
    } else if (qtKey == Qt::Key_Up) {
        key = Qt::Key_Backtab;
        mods = Qt::ShiftModifier;
    } else {
        return false;
    }
    // The same event a pressed Tab key delivers, so the focus follows the tab order.
    QKeyEvent tab(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(widget, &tab);
    return true;
}

void SelAll(QWidget *widget)
{
    if (auto *line = qobject_cast<QLineEdit *>(widget))
        line->selectAll();
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(widget))
        memo->selectAll();
}

QString GetSprTxt(
    platform::GridCells &grid, int row, int col, bool trim, bool dotDecimal, bool useValue)
{
    if (row < 1 || col < 1 || row > grid.rowCount() || col > grid.colCount()) {
        HataGoster(1000, QStringLiteral("Hücre yok: satır %1, sütun %2").arg(row).arg(col),
            QStringLiteral("GetSprTxt"));
        return {};
    }
    const int oldRow = grid.row();
    const int oldCol = grid.col();
    grid.setRow(row);
    grid.setCol(col);
    QString result;
    if (useValue) {
        const QVariant v = grid.value();
        result = v.isNull() || v.toString().isEmpty() ? QStringLiteral("0") : v.toString();
    } else {
        result = grid.text();
    }
    grid.setRow(oldRow);
    grid.setCol(oldCol);
    if (trim)
        result = NullTxt(result);
    if (dotDecimal)
        result.replace(QLatin1Char(','), QLatin1Char('.'));
    return result;
}

void SetSprTxt(platform::GridCells &grid, int row, int col, const QVariant &value)
{
    const int oldCol = grid.col();
    const int oldRow = grid.row();
    grid.setRow(row);
    grid.setCol(col);
    grid.setText(value.isNull() ? QString() : valueText(value));
    grid.setCol(oldCol);
    grid.setRow(oldRow);
}

PlateParts SplitPlate(const QString &plate)
{
    PlateParts p;
    const QString t = plate.left(255);
    if (!t.trimmed().isEmpty()) {
        p.il = t.left(2);
        int i = 2;
        for (; i < t.size(); ++i) {
            if (t[i].isDigit())
                break;
            p.harf += t[i];
        }
        p.no = t.mid(i);
    }
    PlakaIl = p.il;
    PlakaHarf = p.harf;
    PlakaNo = p.no;
    return p;
}

} // namespace app
