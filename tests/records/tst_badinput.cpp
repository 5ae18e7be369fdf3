// Whatever a clerk types comes back as the field map keeps it.
#include "app/datafiles.h"
#include "app/mainwindow.h"
#include "platform/dategrid.h"
#include "records/entryscreen.h"
#include "records/loadrecord.h"
#include "records/saverecord.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStatusBar>
#include <QTest>

using records::EntryScreen;

namespace {

// Every stored row of both tables, column by column, to compare two saves.
QStringList storedRows()
{
    QStringList rows;
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData))
        return rows;
    {
        for (const char *table : { "ARACKAYIT", "ARACSAHIPLERI" }) {
            QSqlQuery q(
                QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QLatin1String(table)), db);
            while (q.next()) {
                QStringList values;
                for (int i = 0; i < q.record().count(); ++i)
                    values << q.record().fieldName(i) + QLatin1Char('=') + q.value(i).toString()
                            + QLatin1Char(':') + QString::fromLatin1(q.value(i).typeName());
                rows << values.join(QLatin1Char('|'));
            }
        }
    }
    app::CloseDb(db);
    return rows;
}

} // namespace

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
        QTest::addColumn<QString>("taxShown"); // the tax receipt's date is kept as typed text
        QTest::newRow("first accepted") << "01.01.1900"
                                        << "01.01.1900"
                                        << "01.01.1900";
        QTest::newRow("last stored") << "31.12.2045"
                                     << "31.12.2045"
                                     << "31.12.2045";
        QTest::newRow("leap day") << "29/02/2024"
                                  << "29.02.2024"
                                  << "29.02.2024";
        QTest::newRow("cell takes it, store does not") << "31.12.2100"
                                                       << ""
                                                       << "31.12.2100";
        QTest::newRow("before the range") << "31.12.1899"
                                          << ""
                                          << "";
        QTest::newRow("impossible") << "30.02.2020"
                                    << ""
                                    << "";
    }
    void datesAtTheLimits()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, taxShown);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M"));
        s.sprTarih(0)->setText(typed);
        s.sprTarih(3)->setText(typed);
        s.sprTarih(6)->setText(typed);
        s.txt(40)->setText(QStringLiteral("1"));
        const qint64 id = records::Kaydet(s, QString());
        s.EkraniTemizle();
        QVERIFY(records::OKU(s, id));
        QCOMPARE(s.sprTarih(0)->text(), shown);
        QCOMPARE(s.sprTarih(3)->text(), shown);
        QCOMPARE(s.sprTarih(6)->text(), taxShown);
    }

    void aLoadAndASaveChangeNothingTyped_data()
    {
        QTest::addColumn<QVariantMap>("typed"); // box index to text
        QTest::addColumn<QVariantMap>("shown"); // what the load shows, where it differs
        auto boxes = [](std::initializer_list<std::pair<int, const char *>> list) {
            QVariantMap m;
            for (const auto &[box, text] : list)
                m.insert(QString::number(box), QString::fromUtf8(text));
            return m;
        };
        QTest::newRow("seats typed from the comma") << boxes({ { 22, ",5" } }) << QVariantMap();
        QTest::newRow("nine decimals in a ten-character box")
            << boxes({ { 18, ",123456789" } }) << QVariantMap();
        QTest::newRow("a fraction too small for six decimals")
            << boxes({ { 19, ",000000001" } }) << QVariantMap();
        QTest::newRow("negative fraction") << boxes({ { 25, "-,25" } }) << QVariantMap();
        QTest::newRow("period from the comma") << boxes({ { 33, ",5" } }) << QVariantMap();
        QTest::newRow("the widest whole number")
            << boxes({ { 21, "9999999999" } }) << QVariantMap();
        QTest::newRow("plate letters running into the number")
            << boxes({ { 0, "34" }, { 1, "ABCD" }, { 2, "X1234567" } }) << QVariantMap();
        QTest::newRow("plate digits in the letters box")
            << boxes({ { 0, "34" }, { 1, "1234" }, { 2, "123456789" } }) << QVariantMap();
        QTest::newRow("plate split at the first digit")
            << boxes({ { 0, "3" }, { 1, "4AB" }, { 2, "12" } })
            << boxes({ { 0, "34" }, { 1, "AB" }, { 2, "12" } });
        QTest::newRow("full phone") << boxes({ { 65, "532" }, { 66, "1234567" } }) << QVariantMap();
    }
    void aLoadAndASaveChangeNothingTyped()
    {
        QFETCH(QVariantMap, typed);
        QFETCH(QVariantMap, shown);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M"));
        s.txt(40)->setText(QStringLiteral("1"));
        for (auto it = typed.begin(); it != typed.end(); ++it)
            s.txt(it.key().toInt())->setText(it.value().toString());
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);
        const QStringList stored = storedRows();
        s.EkraniTemizle();
        QVERIFY(records::OKU(s, id));
        for (auto it = typed.begin(); it != typed.end(); ++it)
            QCOMPARE(s.txt(it.key().toInt())->text(), shown.value(it.key(), it.value()).toString());
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(storedRows(), stored);
        QCOMPARE(p.messages.titles().count(QStringLiteral("GENEL HATA")), 0);
    }

    void theDateCellSaysWhyItRefusedADate_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("why");
        QTest::newRow("impossible day, cell empty")
            << ""
            << "31.02.2020"
            << "Sahiplik Belge Tarihi: \"31.02.2020\" takvimde olmayan bir tarih. Hücre boş "
               "bırakıldı.";
        QTest::newRow("impossible day, earlier date back")
            << "05.11.2009"
            << "30.02.2020"
            << "Sahiplik Belge Tarihi: \"30.02.2020\" takvimde olmayan bir tarih. Hücre eski "
               "değerine döndü: 05.11.2009.";
        QTest::newRow("before 1900") << ""
                                     << "31.12.1899"
                                     << "Sahiplik Belge Tarihi: \"31.12.1899\" alınmadı: tarih "
                                        "01.01.1900 ile 31.12.2100 arasında olmalı. Hücre boş "
                                        "bırakıldı.";
        QTest::newRow("not a date") << ""
                                    << "05.11.20"
                                    << "Sahiplik Belge Tarihi: \"05.11.20\" tarih değil "
                                       "(GG.AA.YYYY yazın). Hücre boş bırakıldı.";
        QTest::newRow("taken") << ""
                               << "5.11.2009"
                               << "";
    }
    void theDateCellSaysWhyItRefusedADate()
    {
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, why);
        testing::Program p;
        p.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
        platform::DateGrid *cell = p.window->entryScreen().sprTarih(0);
        cell->setText(before);
        cell->setFocus();
        QTRY_VERIFY(cell->hasFocus());
        cell->selectAll();
        QTest::keyClicks(cell, typed);
        p.window->entryScreen().txt(8)->widget()->setFocus(); // leaving the cell
        QTRY_VERIFY(!cell->hasFocus());
        QCOMPARE(cell->toolTip(), why);
        QCOMPARE(p.window->findChild<QStatusBar *>()->currentMessage(), why);
        if (!why.isEmpty()) {
            QCOMPARE(cell->text(), before);
            // Typing again takes the note away.
            cell->setFocus();
            QTest::keyClick(cell, Qt::Key_1);
            QCOMPARE(cell->toolTip(), QString());
        }
    }

    void aStoreLackingATableOrColumnSaysSo_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("says");
        QTest::newRow("no owner table") << "DROP TABLE ARACSAHIPLERI"
                                        << "Kayıt deposunda ARACSAHIPLERI tablosu yok";
        QTest::newRow("no vehicle table") << "DROP TABLE ARACKAYIT"
                                          << "Kayıt deposunda ARACKAYIT tablosu yok";
        QTest::newRow("no column") << "ALTER TABLE ARACKAYIT DROP COLUMN KAPASITE"
                                   << "Kayıt deposunun ARACKAYIT tablosunda KAPASITE sütunu yok";
        QTest::newRow("no owner column")
            << "ALTER TABLE ARACSAHIPLERI DROP COLUMN SEMT"
            << "Kayıt deposunun ARACSAHIPLERI tablosunda SEMT sütunu yok";
    }
    void aStoreLackingATableOrColumnSaysSo()
    {
        QFETCH(QString, damage);
        QFETCH(QString, says);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        QSqlDatabase db;
        QVERIFY(app::OpenData(db, app::RecordStoreData));
        QVERIFY(QSqlQuery(db).exec(damage));
        app::CloseDb(db);
        s.txt(16)->setText(QStringLiteral("M"));
        s.txt(40)->setText(QStringLiteral("1"));
        p.messages.reset();
        QCOMPARE(records::Kaydet(s, QString()), 0);
        QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        const QString text = p.messages.shown().first().text;
        QVERIFY2(text.contains(says), qPrintable(text));
        QVERIFY(text.contains(p.folder.storePath()));
        if (!damage.contains(QLatin1String("COLUMN"))) {
            p.messages.reset();
            QVERIFY(!records::OKU(s, 1));
            QVERIFY2(p.messages.shown().first().text.contains(says),
                qPrintable(p.messages.shown().first().text));
        }
    }

    void aDamagedVehicleFileIsNamedWhenPrinting()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M"));
        const qint64 id = records::Kaydet(s, QString());
        const QString vehicles = p.folder.path() + QStringLiteral("/Arac.mdb");
        QFile file(vehicles);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(8192, 'x'));
        file.close();
        QProcess run;
        run.start(QStringLiteral(EVRAKMATIK_TEST_MDQ) + QStringLiteral("/../evrakmatik"),
            { QStringLiteral("--program-folder"), p.folder.path(),
                QStringLiteral("--margin-folder"), p.folder.marginFolder(),
                QStringLiteral("--print-pdf"), QStringLiteral("ek9"), QStringLiteral("--id"),
                QString::number(id), QStringLiteral("--out"),
                p.folder.path() + QStringLiteral("/a.pdf") });
        QVERIFY(run.waitForFinished(60000));
        QVERIFY(run.exitCode() != 0);
        const QStringList lines = QString::fromUtf8(run.readAllStandardError())
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QString named =
            QStringLiteral("evrakmatik: Veri dosyası okunamıyor: %1 (SQLite veritabanı değil ya "
                           "da bozuk)")
                .arg(vehicles);
        QVERIFY2(lines.last().startsWith(named), qPrintable(lines.last()));
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
        s.sprTarih(0)->setText(QStringLiteral("01.01.2001")); // of the record shown before
        QVERIFY(records::OKU(s, 9));
        QCOMPARE(s.txt(16)->text(), QStringLiteral("12345"));
        QCOMPARE(s.txt(3)->text(), QStringLiteral("34"));
        QCOMPARE(s.txt(17)->text(), QStringLiteral("3,5"));
        QCOMPARE(s.sprTarih(0)->text(), QString()); // not a date: not shown
        QCOMPARE(s.txt(18)->text(), QStringLiteral("ağır"));
        QCOMPARE(s.cmbX(2)->currentIndex(), 1);
        QCOMPARE(s.cmbX(0)->currentText(), QStringLiteral("7"));
        QCOMPARE(s.txt(33)->text(), QStringLiteral("0"));
        QCOMPARE(p.messages.titles().count(QStringLiteral("GENEL HATA")), 0);
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
