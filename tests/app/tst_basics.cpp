#include "app/basics.h"
#include "app/entryroutines.h"
#include "app/errorbox.h"
#include "platform/dategrid.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QDate>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QWidget>

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
        QCOMPARE(p.il, il);
        QCOMPARE(p.harf, harf);
        QCOMPARE(p.no, no);
        QCOMPARE(PlakaHarf, harf);
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
        SetSprTxt(grid, 1, 1, QStringLiteral("01.01.2000"));
        SetSprTxt(grid, 1, 1, QStringLiteral("01.01.1899"));
        SetSprTxt(grid, 1, 1, QStringLiteral("01.01.2101"));
        QCOMPARE(grid.text(), QStringLiteral("01.01.2000"));
        SetSprTxt(grid, 1, 1, QStringLiteral("31.12.2100"));
        QCOMPARE(grid.text(), QStringLiteral("31.12.2100"));
        grid.QLineEdit::setText(QStringLiteral(" 12,50 "));
        QCOMPARE(GetSprTxt(grid, 1, 1, true, true), QStringLiteral("12.50"));
    }

    void dateGridRefusesATypedImpossibleDate()
    {
        QWidget host;
        auto *grid = new platform::DateGrid(&host);
        auto *other = new QLineEdit(&host);
        host.show();
        QApplication::setActiveWindow(&host);
        grid->setFocus();
        QTest::keyClicks(grid, QStringLiteral("05/11/2009"));
        other->setFocus();
        QCOMPARE(grid->text(), QStringLiteral("05.11.2009"));
        grid->setFocus();
        grid->selectAll();
        QTest::keyClicks(grid, QStringLiteral("31.02.2020"));
        other->setFocus();
        QCOMPARE(grid->text(), QStringLiteral("05.11.2009"));
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

    void enterTabMovesLikeTab()
    {
        QWidget host;
        auto *a = new QLineEdit(&host);
        auto *b = new QPlainTextEdit(&host);
        b->setTabChangesFocus(true);
        auto *c = new QLineEdit(&host);
        QWidget::setTabOrder(a, b);
        QWidget::setTabOrder(b, c);
        host.show();
        QApplication::setActiveWindow(&host);
        a->setFocus();
        QVERIFY(EnterTab(a, Qt::Key_Return));
        QCOMPARE(QApplication::focusWidget(), b);
        QVERIFY(EnterTab(b, Qt::Key_Down));
        QCOMPARE(QApplication::focusWidget(), c);
        QVERIFY(EnterTab(c, Qt::Key_Up));
        QCOMPARE(QApplication::focusWidget(), b);
        QVERIFY(!EnterTab(b, Qt::Key_A));
        QCOMPARE(QApplication::focusWidget(), b);
    }

    void errorBoxLayout()
    {
        const QString text =
            errorMessageText(3265, QStringLiteral("açıklama"), QStringLiteral("OKU"));
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.at(0), QStringLiteral("PROGRAMDA BİR HATA OLUŞTU !!!"));
        QCOMPARE(lines.at(1), QString());
        QVERIFY(lines.at(2).startsWith(QStringLiteral(" Program Adı    : ")));
        QCOMPARE(lines.at(3), QStringLiteral(" Bölüm Adı      : OKU"));
        QCOMPARE(lines.at(4), QStringLiteral(" Hata Kodu      : 3265"));
        QCOMPARE(lines.at(5), QStringLiteral(" Hata Açıklaması: "));
        QCOMPARE(lines.at(6), QStringLiteral("açıklama"));
        for (int i = 2; i <= 5; ++i)
            QCOMPARE(lines.at(i).indexOf(QLatin1Char(':')), 16);
    }
};

QTEST_MAIN(TestBasics)
#include "tst_basics.moc"
