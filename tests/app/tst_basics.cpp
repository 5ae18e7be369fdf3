#include "app/basics.h"
#include "app/entryroutines.h"
#include "app/errorbox.h"
#include "platform/dategrid.h"
#include "support/testsupport.h"

#include <QDate>
#include <QTest>

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
    void nullTxt_data() { testing::addRows(QStringLiteral("nulltxt")); }
    void nullTxt()
    {
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(QString, options);
        QFETCH(QString, expected);
        QCOMPARE(NullTxt(stored(type, value), options == QLatin1String("keep"),
                     options == QLatin1String("blank")),
            expected);
    }

    void nullNum_data() { testing::addRows(QStringLiteral("nullnum")); }
    void nullNum()
    {
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(NullNum(stored(type, value)), expected);
    }

    void isValidDate_data() { testing::addRows(QStringLiteral("isvaliddate")); }
    void isValidDate()
    {
        QFETCH(QString, text);
        QFETCH(QString, valid);
        QCOMPARE(IsValidDate(text), valid == QLatin1String("1"));
    }

    void trUpperFoldsTurkishLetters()
    {
        QCOMPARE(TrUpper("çiğdem ılık istanbul ısparta"),
            QStringLiteral("ÇİĞDEM ILIK İSTANBUL ISPARTA"));
    }

    void splitPlate_data() { testing::addRows(QStringLiteral("splitplate")); }
    void splitPlate()
    {
        QFETCH(QString, plate);
        QFETCH(QString, il);
        QFETCH(QString, harf);
        QFETCH(QString, no);
        const PlateParts p = SplitPlate(plate);
        QCOMPARE(
            (QStringList { p.il, p.harf, p.no, PlakaHarf }), (QStringList { il, harf, no, harf }));
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
