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
    for (const char *table : { "ARACKAYIT", "ARACSAHIPLERI" }) {
        QSqlQuery q(QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QLatin1String(table)), db);
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                // Every save counts its change; nothing typed is in it.
                if (!q.record().fieldName(i).startsWith(QLatin1String("DEGISIKLIK")))
                    values << q.record().fieldName(i) + '=' + q.value(i).toString() + ':'
                            + q.value(i).typeName();
            rows << values.join('|');
        }
    }
    app::CloseDb(db);
    return rows;
}

// "txt(18)=text|sprTarih(0)=text" as control name to text.
QMap<QString, QString> controls(const QString &list)
{
    QMap<QString, QString> m;
    for (const QString &item : list.split('|', Qt::SkipEmptyParts))
        m.insert(item.section('=', 0, 0), item.section('=', 1));
    return m;
}

int indexOf(const QString &control)
{
    return control.section('(', 1).chopped(1).toInt();
}

QString textOf(const EntryScreen &s, const QString &control)
{
    return control.startsWith("txt(") ? s.txt(indexOf(control))->text()
                                      : s.sprTarih(indexOf(control))->text();
}

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    // Quotes, percent signs and backslashes in the keys as in the texts.
    void whatIsTypedComesBackAsKept_data() { testing::addTableRows("roundtrips.tsv"); }
    void whatIsTypedComesBackAsKept()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        const QMap<QString, QString> keys { { "txt(16)", "M'1 %_\\" }, { "txt(40)", "K'İ" },
            { "txt(3)", "3'" }, { "txt(4)", "A%_" } };
        QMap<QString, QString> expected = keys;
        expected.insert(controls(typed));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            if (it.key().startsWith("txt("))
                s.txt(indexOf(it.key()))->setText(it.value());
            else
                s.sprTarih(indexOf(it.key()))->setText(it.value());
        }
        expected.insert(controls(shown));
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);
        const QStringList stored = storedRows();
        s.EkraniTemizle();
        QVERIFY(records::OKU(s, id));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(textOf(s, it.key()), it.value());
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
        QFETCH(QString, shown);
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
        QCOMPARE(cell->text(), shown);
        QCOMPARE(cell->toolTip(), why);
        QCOMPARE(p.window->findChild<QStatusBar *>()->currentMessage(), why);
        // Typing again takes the note away.
        cell->setFocus();
        QTest::keyClick(cell, Qt::Key_1);
        QCOMPARE(cell->toolTip(), QString());
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
        QVERIFY2(p.messages.shown().first().text.contains(says),
            qPrintable(p.messages.shown().first().text));
        QVERIFY(p.messages.shown().first().text.contains(p.folder.storePath()));
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
        p.window->entryScreen().txt(16)->setText(QStringLiteral("M"));
        const qint64 id = records::Kaydet(p.window->entryScreen(), QString());
        const QString vehicles = p.folder.path() + QStringLiteral("/Arac.mdb");
        QVERIFY(testing::writeFile(vehicles, QByteArray(8192, 'x')));
        QString errors;
        QVERIFY(testing::printPdf(p.folder, "ek9", id, p.folder.path() + "/a.pdf", &errors) > 0);
        const QString named = QStringLiteral("evrakmatik: Veri dosyası okunamıyor: %1 (SQLite "
                                             "veritabanı değil ya da bozuk)")
                                  .arg(vehicles);
        QVERIFY2(errors.section('\n', -1).startsWith(named), qPrintable(errors));
    }

    // An older store without this program's checks, filled by someone else.
    void valuesOfTheWrongTypeFromAnotherProgram()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        QVERIFY(testing::storeExec("DROP TABLE ARACKAYIT"));
        QVERIFY(testing::storeExec(
            "CREATE TABLE ARACKAYIT (ID INTEGER PRIMARY KEY, MOTORNO, ESKIPLAKA, YENIPLAKA, "
            "SASENO, "
            "BELGETARIHI, NETAGR, KULLANIMAMACI, TAKOGRAF, ISLEMTURU, MARKA, SIGORTAAYSURE, "
            "YENILEMENEDENI)"));
        QVERIFY(
            testing::storeExec("INSERT INTO ARACKAYIT VALUES (9, 12345, 34, NULL, 3.5, 'yarın', "
                               "'ağır', 'x', '1', NULL, 7, 'on iki', NULL)"));
        s.sprTarih(0)->setText(QStringLiteral("01.01.2001")); // of the record shown before
        QVERIFY(records::OKU(s, 9));
        const QStringList shown { s.txt(16)->text(), s.txt(3)->text(), s.txt(17)->text(),
            s.sprTarih(0)->text(), s.txt(18)->text(), s.cmbX(0)->currentText(), s.txt(33)->text() };
        QCOMPARE(shown, (QStringList { "12345", "34", "3,5", "", "ağır", "7", "0" }));
        QCOMPARE(s.cmbX(2)->currentIndex(), 1);
        QCOMPARE(p.messages.titles().count(QStringLiteral("GENEL HATA")), 0);
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
