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
        const QString items =
            QStringLiteral("txt(16)=M'1 %_\\|txt(40)=K'İ|txt(3)=3'|txt(4)=A%_|") + typed;
        QVERIFY(testing::setControls(s, items));
        // The last item of a control is what it shows.
        QMap<QString, QString> expected;
        for (const QString &item : (items + '|' + shown).split('|', Qt::SkipEmptyParts))
            expected.insert(item.section('=', 0, 0), item);
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);
        const QStringList stored = storedRows();
        s.EkraniTemizle();
        QVERIFY(records::OKU(s, id));
        const QStringList screen = testing::snapshot(s);
        for (const QString &item : expected)
            QVERIFY2(screen.contains(item), qPrintable(item));
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
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
