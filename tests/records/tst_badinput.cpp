// Whatever a clerk types comes back as the field map keeps it.
#include "app/datafiles.h"
#include "app/mainwindow.h"
#include "platform/dategrid.h"
#include "records/entryscreen.h"
#include "records/loadrecord.h"
#include "records/saverecord.h"
#include "support/recordtables.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStatusBar>
#include <QTest>

#include <tuple>

using records::EntryScreen;

namespace {

// Every stored row of both tables, column by column, to compare two saves.
QStringList storedRows()
{
    QStringList rows;
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData))
        return rows;
    for (const char *table : { "ARACKAYIT", "ARACSAHIPLERI" }) {
        QSqlQuery q(QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QLatin1String(table)), db);
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                // Every save counts its change; nothing typed is in it.
                if (!q.record().fieldName(i).startsWith(QLatin1String("DEGISIKLIK")))
                    values << q.record().fieldName(i) + QLatin1Char('=') + q.value(i).toString()
                            + QLatin1Char(':') + QString::fromLatin1(q.value(i).typeName());
            rows << values.join(QLatin1Char('|'));
        }
    }
    app::CloseDb(db);
    return rows;
}

// "index=text;index=text" as box index to text.
QMap<int, QString> boxes(const QString &list)
{
    QMap<int, QString> m;
    for (const QString &item : list.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        m.insert(item.section(QLatin1Char('='), 0, 0).toInt(), item.section(QLatin1Char('='), 1));
    return m;
}

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void textsComeBackAsKept_data()
    {
        testing::addTableRows("kepttexts.tsv");
        const QStringList hard { "O'Reilly \"Ltd\"", "C:\\yol\\dosya", "%100_indirim", "_%_",
            "İıIiĞğÜüŞşÖöÇç", "ÇAĞDAŞ çağdaş", "a;b--c /* x */", "x' OR '1'='1" };
        for (const QString &t : hard) {
            for (const char *box : { "6", "41", "36" }) // vehicle text, owner text, remark
                QTest::addRow("txt(%s) %s", box, qPrintable(t)) << box << t << t;
        }
        // The longest text each kind of box takes.
        const std::tuple<int, int, char16_t> longest[] = { { 6, 60, u'Ş' }, { 48, 75, u'ı' },
            { 39, 150, u'Ü' } };
        for (const auto &[box, max, c] : longest) {
            const QString t(max, QChar(c));
            QTest::addRow("txt(%d) at its maximum", box) << QString::number(box) << t << t;
        }
    }
    void textsComeBackAsKept()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M'1 %_\\"));
        s.txt(40)->setText(QStringLiteral("K'İ"));
        s.txt(3)->setText(QStringLiteral("3'"));
        s.txt(4)->setText(QStringLiteral("A%_"));
        s.txt(box.toInt())->setText(typed);
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);
        s.EkraniTemizle();
        QVERIFY(records::OKU(s, id));
        QCOMPARE(s.txt(box.toInt())->text(), shown);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M'1 %_\\"));
        QCOMPARE(s.txt(40)->text(), QStringLiteral("K'İ"));
        // Found again under its keys: engine number, old plate, identity number.
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(testing::storeColumn("SELECT count(*) FROM ARACSAHIPLERI"), QVariantList { 1 });
        QCOMPARE(p.messages.titles().count(QStringLiteral("GENEL HATA")), 0);
    }

    void datesAtTheLimits_data() { testing::addTableRows("datelimits.tsv"); }
    void datesAtTheLimits()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, taxShown);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M"));
        s.txt(40)->setText(QStringLiteral("1"));
        for (int i : { 0, 3, 6 })
            s.sprTarih(i)->setText(typed);
        const qint64 id = records::Kaydet(s, QString());
        s.EkraniTemizle();
        QVERIFY(records::OKU(s, id));
        QCOMPARE(s.sprTarih(0)->text(), shown);
        QCOMPARE(s.sprTarih(3)->text(), shown);
        QCOMPARE(s.sprTarih(6)->text(), taxShown);
    }

    void aLoadAndASaveChangeNothingTyped_data() { testing::addTableRows("roundtrips.tsv"); }
    void aLoadAndASaveChangeNothingTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M"));
        s.txt(40)->setText(QStringLiteral("1"));
        const QMap<int, QString> boxesTyped = boxes(typed);
        for (auto it = boxesTyped.begin(); it != boxesTyped.end(); ++it)
            s.txt(it.key())->setText(it.value());
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);
        const QStringList stored = storedRows();
        s.EkraniTemizle();
        QVERIFY(records::OKU(s, id));
        const QMap<int, QString> boxesShown = boxes(shown);
        for (auto it = boxesTyped.begin(); it != boxesTyped.end(); ++it)
            QCOMPARE(s.txt(it.key())->text(), boxesShown.value(it.key(), it.value()));
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(storedRows(), stored);
        QCOMPARE(p.messages.titles().count(QStringLiteral("GENEL HATA")), 0);
    }

    void theDateCellSaysWhyItRefusedADate_data() { testing::addTableRows("daterefusals.tsv"); }
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

    void aStoreLackingATableOrColumnSaysSo_data() { testing::addTableRows("damagedstores.tsv"); }
    void aStoreLackingATableOrColumnSaysSo()
    {
        QFETCH(QString, damage);
        QFETCH(QString, says);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        QVERIFY(testing::storeExec(damage));
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
