#include "app/basics.h"
#include "app/entryroutines.h"
#include "app/errorbox.h"
#include "platform/dategrid.h"
#include "support/testsupport.h"

#include <QDate>
#include <QMap>
#include <QTest>

#include <functional>

using namespace app;

namespace {

// A value as the store hands it over, from its type's name and its text.
QVariant stored(const QString &type, const QString &text)
{
    if (type == QLatin1String("null"))
        return QVariant();
    if (type == QLatin1String("date"))
        return QDate::fromString(text, Qt::ISODate);
    return type == QLatin1String("double") ? QVariant(text.toDouble()) : QVariant(text);
}

} // namespace

class TestBasics : public QObject {
    Q_OBJECT
private slots:
    void routines_data() { testing::addRows(QStringLiteral("routines")); }
    void routines()
    {
        QFETCH(QString, routine);
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(QString, options);
        QFETCH(QString, expected);
        const QMap<QString, std::function<QString()>> routines {
            { "NullTxt",
                [&] {
                    return NullTxt(stored(type, value), options == QLatin1String("keep"),
                        options == QLatin1String("blank"));
                } },
            { "NullNum", [&] { return NullNum(stored(type, value)); } },
            { "IsValidDate", [&] { return QString::number(IsValidDate(value)); } },
            { "TrUpper", [&] { return TrUpper(value); } },
            { "SplitPlate",
                [&] {
                    const PlateParts p = SplitPlate(value);
                    return QStringList { p.il, p.harf, p.no, PlakaHarf }.join('|');
                } },
        };
        QVERIFY2(routines.contains(routine), qPrintable(routine));
        QCOMPARE(routines[routine](), expected);
    }

    void dateGridCellsKeepTheirActiveCell()
    {
        platform::DateGrid grid;
        SetSprTxt(grid, 1, 1, QStringLiteral("5/3/2020"));
        QCOMPARE(grid.text(), QStringLiteral("05.03.2020"));
        QCOMPARE(GetSprTxt(grid, 1, 1, false, false, true), QStringLiteral("20200305"));
        SetSprTxt(grid, 1, 1, QString());
        QCOMPARE(GetSprTxt(grid, 1, 1, false, false, true), QStringLiteral("0"));
        QCOMPARE(grid.row(), 1);
        QCOMPARE(grid.col(), 1);
        // Out of the cell's range: refused, the cell keeps what it had.
        for (const char *date : { "01.01.2000", "01.01.1899", "01.01.2101" })
            SetSprTxt(grid, 1, 1, QLatin1String(date));
        QCOMPARE(grid.text(), QStringLiteral("01.01.2000"));
        SetSprTxt(grid, 1, 1, QStringLiteral("31.12.2100"));
        QCOMPARE(grid.text(), QStringLiteral("31.12.2100"));
        grid.QLineEdit::setText(QStringLiteral(" 12,50 "));
        QCOMPARE(GetSprTxt(grid, 1, 1, true, true), QStringLiteral("12.50"));
    }

    void getSprTxtOfAMissingCellEndsTheProgram()
    {
        testing::ScriptedMessages messages;
        platform::DateGrid grid;
        GetSprTxt(grid, 2, 1);
        QCOMPARE(messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(messages.shown().first().text.contains(QStringLiteral("GetSprTxt")));
        QCOMPARE(messages.exits(), 1);
    }

    void errorBoxLayout()
    {
        QStringList lines =
            errorMessageText(3265, QStringLiteral("açıklama"), QStringLiteral("OKU"))
                .split(QStringLiteral("\r\n"));
        QVERIFY(lines.value(2).startsWith(QStringLiteral(" Program Adı    : ")));
        lines[2] = lines[2].left(18);
        QCOMPARE(lines,
            (QStringList { "PROGRAMDA BİR HATA OLUŞTU !!!", "",
                " Program Adı    : ", " Bölüm Adı      : OKU", " Hata Kodu      : 3265",
                " Hata Açıklaması: ", "açıklama", "" }));
    }
};

QTEST_MAIN(TestBasics)
#include "tst_basics.moc"
