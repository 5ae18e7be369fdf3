// Whatever a clerk types comes back as the field map keeps it.
#include "app/datafiles.h"
#include "app/mainwindow.h"
#include "platform/dategrid.h"
#include "records/entryscreen.h"
#include "records/loadrecord.h"
#include "records/saverecord.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QSqlQuery>
#include <QTest>

using records::EntryScreen;

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void textsComeBackAsKept_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const QStringList hard { "O'Reilly \"Ltd\"", "C:\\yol\\dosya", "%100_indirim", "_%_",
            "İıIiĞğÜüŞşÖöÇç", "ÇAĞDAŞ çağdaş", "a;b--c /* x */", "x' OR '1'='1" };
        for (const QString &t : hard) {
            QTest::addRow("vehicle text %s", qPrintable(t)) << 6 << t << t;
            QTest::addRow("owner text %s", qPrintable(t)) << 41 << t << t;
            QTest::addRow("remark %s", qPrintable(t)) << 36 << t << t;
        }
        // Vehicle texts are trimmed; owner texts are kept as typed.
        QTest::newRow("vehicle blanks") << 13 << "  Otomobil  "
                                        << "Otomobil";
        QTest::newRow("owner blanks") << 43 << "  Hasan  "
                                      << "  Hasan  ";
        QTest::newRow("at the maximum")
            << 6 << QString(60, QChar(u'Ş')) << QString(60, QChar(u'Ş'));
        QTest::newRow("owner at the maximum")
            << 48 << QString(75, QChar(u'ı')) << QString(75, QChar(u'ı'));
        QTest::newRow("memo at the maximum")
            << 39 << QString(150, QChar(u'Ü')) << QString(150, QChar(u'Ü'));
        QTest::newRow("multi-line") << 37 << "birinci\nikinci"
                                    << "birinci\nikinci";
        // Numbers are stored as numbers: their text comes back as a number's text.
        QTest::newRow("decimal comma") << 18 << "1250,5"
                                       << "1250,5";
        QTest::newRow("grouping point") << 18 << "1.250"
                                        << "1250";
        QTest::newRow("minus") << 19 << "-3"
                               << "-3";
        QTest::newRow("plus") << 20 << "+4"
                              << "4";
        QTest::newRow("letters") << 21 << "12a"
                                 << "0";
        QTest::newRow("two commas") << 24 << "1,2,3"
                                    << "0";
        QTest::newRow("period empty") << 33 << ""
                                      << "0";
    }
    void textsComeBackAsKept()
    {
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M'1 %_\\"));
        s.txt(40)->setText(QStringLiteral("K'İ"));
        s.txt(3)->setText(QStringLiteral("3'"));
        s.txt(4)->setText(QStringLiteral("A%_"));
        s.txt(box)->setText(typed);
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);
        s.EkraniTemizle();
        QVERIFY(records::OKU(s, id));
        QCOMPARE(s.txt(box)->text(), shown);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M'1 %_\\"));
        QCOMPARE(s.txt(40)->text(), QStringLiteral("K'İ"));
        // Found again under its keys: engine number, old plate, identity number.
        QCOMPARE(records::Kaydet(s, QString()), id);
        QSqlDatabase db;
        QVERIFY(app::OpenData(db, app::RecordStoreData));
        {
            QSqlQuery q(QStringLiteral("SELECT count(*) FROM ARACSAHIPLERI"), db);
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 1);
        }
        app::CloseDb(db);
        QCOMPARE(p.messages.titles().count(QStringLiteral("GENEL HATA")), 0);
    }

    void datesAtTheLimits_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("first accepted") << "01.01.1900"
                                        << "01.01.1900";
        QTest::newRow("last stored") << "31.12.2045"
                                     << "31.12.2045";
        QTest::newRow("leap day") << "29/02/2024"
                                  << "29.02.2024";
        QTest::newRow("cell takes it, store does not") << "31.12.2100"
                                                       << "";
        QTest::newRow("before the range") << "31.12.1899"
                                          << "";
        QTest::newRow("impossible") << "30.02.2020"
                                    << "";
    }
    void datesAtTheLimits()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M"));
        s.sprTarih(0)->setText(typed);
        s.sprTarih(3)->setText(typed);
        s.txt(40)->setText(QStringLiteral("1"));
        const qint64 id = records::Kaydet(s, QString());
        s.EkraniTemizle();
        records::OKU(s, id);
        QCOMPARE(s.sprTarih(0)->text(), shown);
        QCOMPARE(s.sprTarih(3)->text(), shown);
    }

    void valuesOfTheWrongTypeFromAnotherProgram()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        // An older store without this program's checks, filled by someone else.
        QSqlDatabase db;
        QVERIFY(app::OpenData(db, app::RecordStoreData));
        {
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("DROP TABLE ARACKAYIT")));
            QVERIFY(q.exec(QStringLiteral(
                "CREATE TABLE ARACKAYIT (ID INTEGER PRIMARY KEY, MOTORNO, ESKIPLAKA, YENIPLAKA, "
                "SASENO, BELGETARIHI, NETAGR, KULLANIMAMACI, TAKOGRAF, ISLEMTURU, MARKA, "
                "SIGORTAAYSURE, YENILEMENEDENI)")));
            QVERIFY(q.exec(QStringLiteral(
                "INSERT INTO ARACKAYIT VALUES (9, 12345, 34, NULL, 3.5, 'yarın', 'ağır', 'x', '1', "
                "NULL, 7, 'on iki', NULL)")));
        }
        app::CloseDb(db);
        s.sprTarih(0)->setText(QStringLiteral("01.01.2001"));
        QVERIFY(records::OKU(s, 9));
        QCOMPARE(s.txt(16)->text(), QStringLiteral("12345"));
        QCOMPARE(s.txt(3)->text(), QStringLiteral("34"));
        QCOMPARE(s.txt(17)->text(), QStringLiteral("3,5"));
        QCOMPARE(s.sprTarih(0)->text(), QStringLiteral("01.01.2001")); // not a date: untouched
        QCOMPARE(s.txt(18)->text(), QStringLiteral("ağır"));
        QCOMPARE(s.cmbX(2)->currentIndex(), 1);
        QCOMPARE(s.cmbX(0)->currentText(), QStringLiteral("7"));
        QCOMPARE(s.txt(33)->text(), QStringLiteral("0"));
        QCOMPARE(p.messages.titles().count(QStringLiteral("GENEL HATA")), 0);
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
