#include "app/datafiles.h"
#include "app/mainwindow.h"
#include "app/restorebackup.h"
#include "app/sharedstore.h"
#include "platform/pgtogether.h"
#include "records/entryscreen.h"
#include "records/recordlist.h"
#include "records/recordlistmodel.h"
#include "records/saverecord.h"
#include "records/searchindex.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QThread>

using records::SearchHit;
using records::SearchIndex;

namespace {

// Three records a clerk might be asked about: the first with two owners and
// a former one, and numbers of every kind; the second and third share a
// given name or a surname with it.
const char *const kRecords[] = {
    "INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA, YENIPLAKA, SASENO, BELGENO, SIGORTAPOLICENO, "
    "OTV_MakbuzNo, MARKA, MODEL, MODELRENK1) VALUES (1, 'M1', '34ABC12', '06ZY345', "
    "'NMT00000012345678', 'B77123', 'POL-998877', 'MK5544', 'Renault', 'Clio', 'Gümüş Gri')",
    "INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA) VALUES (2, 'M2', '35XY999')",
    "INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA, MARKA) VALUES (3, 'M3', '01AA1', 'Fiat')",
    "INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, AD, SOYAD, BABA, ANNE, ILCE, CADDE, "
    "TELEFONCEP) VALUES (1, 1, '12345678901', 'Ayşe', 'Işık', 'İsmail', 'Gül', 'Kadıköy', "
    "'Bağdat Cad.', '5058896611')",
    "INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, AD, SOYAD) VALUES "
    "(1, 2, '22222222222', 'Mehmet', 'Yılmaz')",
    "INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, AD, SOYAD) VALUES "
    "(1, -1, '99988877766', 'Hüseyin', 'Çakır')",
    "INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, AD, SOYAD, TELEFONIS) VALUES "
    "(2, 1, '11111111111', 'Mehmet', 'Yıldız', '2123334455')",
    "INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, AD, SOYAD) VALUES "
    "(3, 1, '33333333333', 'Ali', 'Yılmaz')",
};

void fillStore()
{
    for (const char *sql : kRecords)
        QVERIFY2(testing::storeExec(QString::fromUtf8(sql)), sql);
}

// Records 1 to records on the SQLite store, each of an Ali Yılmaz, listed in
// the order of their IDs; the search index made for them.
void fillYilmaz(int records)
{
    QVERIFY(testing::storeExec(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                       "i < %1) INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA) SELECT i, "
                       "'M' || i, printf('%05d', i) FROM n")
            .arg(records)));
    QVERIFY(testing::storeExec(QStringLiteral(
        "INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, AD, SOYAD) SELECT ID, 1, "
        "CAST(ID AS TEXT), 'Ali', 'Yılmaz' FROM ARACKAYIT")));
    QVERIFY(app::upgradeRecordStore());
}

std::vector<SearchHit> find(const QString &text)
{
    QSqlDatabase db;
    std::vector<SearchHit> hits;
    if (!app::OpenData(db, app::RecordStoreData))
        return hits;
    QString error;
    if (!SearchIndex::find(db, text, &hits, &error))
        qWarning("%s", qPrintable(error));
    app::CloseDb(db);
    return hits;
}

QString ids(const std::vector<SearchHit> &hits)
{
    QStringList out;
    for (const SearchHit &h : hits)
        out << QString::number(h.id);
    return out.join(QLatin1Char(','));
}

} // namespace

class TestSearchIndex : public QObject {
    Q_OBJECT
private slots:
    // What a clerk remembers, typed as it comes: the records found, in the
    // list's order, and what the first one was found by.
    void findsEveryKindOfValueFromAPiece_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("matched");
        const struct {
            const char *name, *typed, *found, *matched;
        } rows[] = {
            { "surname, Turkish letters", "işık", "1", "1. sahip: soyadı" },
            { "surname without them", "ISIK", "1", "1. sahip: soyadı" },
            { "dotted capital", "İSMAİL", "1", "1. sahip: baba adı" },
            { "mother, lower case", "gül", "1", "1. sahip: anne adı" },
            { "second owner, two records", "yılmaz", "3,1", "1. sahip: soyadı" },
            { "two words narrow", "yilmaz mehmet", "1", "2. sahip: soyadı, 2. sahip: adı" },
            { "word start only", "adikoy", "", "" },
            { "district from its start", "kadık", "1", "1. sahip: ilçe" },
            { "street", "bağdat", "1", "1. sahip: cadde" },
            { "inside an identity number", "5678901", "1", "1. sahip: kimlik/vergi no" },
            { "phone in pieces", "505 889 66 11", "1", "1. sahip: cep telefonu" },
            { "work phone", "3334455", "2", "1. sahip: telefon" },
            { "plate with blanks", "34 abc 12", "1", "Eski plaka" },
            { "plate's letters and number", "ABC12", "1", "Eski plaka" },
            { "new plate", "zy345", "1", "Yeni plaka" },
            { "chassis's last digits", "45678", "1", "Şase no" },
            { "document", "77123", "1", "Sahiplik belge no" },
            { "policy", "998877", "1", "Poliçe no" },
            { "receipt", "mk5544", "1", "ÖTV makbuz no" },
            { "brand and model", "renault clio", "1", "Marka, Model" },
            { "colour without accents", "gumus", "1", "Renk" },
            { "former owner", "çakır", "1", "Önceki sahip: soyadı" },
            { "former owner's number", "99988877766", "1", "Önceki sahip: kimlik/vergi no" },
            { "nothing", "zzqqx", "", "" },
        };
        for (const char *engine : { "sqlite", "postgresql" })
            for (const auto &r : rows)
                QTest::addRow("%s: %s", engine, r.name)
                    << QString::fromLatin1(engine) << QString::fromUtf8(r.typed)
                    << QString::fromLatin1(r.found) << QString::fromUtf8(r.matched);
    }
    void findsEveryKindOfValueFromAPiece()
    {
        QFETCH(QString, engine);
        QFETCH(QString, typed);
        QFETCH(QString, found);
        QFETCH(QString, matched);
        testing::SharedStoreScope store(testing::isPostgresRow(engine));
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        fillStore();
        // Records written behind the program's back: the next start's upgrade
        // brings the index up to them.
        app::upgradeRecordStore();
        const std::vector<SearchHit> hits = find(typed);
        QCOMPARE(ids(hits), found);
        if (!hits.empty()) {
            QCOMPARE(hits.front().matched, matched);
            QCOMPARE(hits.front().formerOwner, matched.startsWith(QStringLiteral("Önceki")));
        }
    }

    // A record saved from the screen is found by "Ara" at once, the list
    // showing it with what matched; after its owner's surname is changed
    // and saved again, the old surname no longer finds it. Esc empties the
    // box before it closes the list.
    void aSavedRecordIsFoundAtOnce_data() { testing::addEngineRows(); }
    void aSavedRecordIsFoundAtOnce()
    {
        QFETCH(QString, engine);
        testing::SharedStoreScope store(testing::isPostgresRow(engine));
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        testing::typeTransaction(s);
        const int b = records::EntryScreen::ownerBase(1);
        s.txt(b + 2)->setText(QStringLiteral("Karaağaçlı"));
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);

        s.cmdBUL()->click();
        records::RecordList &list = p.window->recordList();
        list.txtAra()->setText(QStringLiteral("karaagacli"));
        QVERIFY(list.showingFound());
        QCOMPARE(list.found().rowCount(), 1);
        QCOMPARE(list.found().id(0), id);
        QCOMPARE(list.found()
                     .data(list.found().index(0, 1), Qt::ToolTipRole)
                     .toString()
                     .section(QLatin1Char('\n'), 0, 0),
            QStringLiteral("1. sahip: soyadı"));
        QTest::keyClick(list.txtAra(), Qt::Key_Escape);
        QVERIFY(list.txtAra()->text().isEmpty());
        QVERIFY(!list.showingFound());
        QVERIFY(s.frmARA()->isVisibleTo(p.window.get()));
        QTest::keyClick(list.txtAra(), Qt::Key_Escape);
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));

        s.txt(b + 2)->setText(QStringLiteral("Demirci"));
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(ids(find(QStringLiteral("karaagacli"))), QString());
        QCOMPARE(ids(find(QStringLiteral("demirci"))), QString::number(id));
        {
            // The old name has left the index itself, not only the answers:
            // a row left behind would be read back on every search.
            QSqlDatabase db;
            QVERIFY(app::OpenData(db, app::RecordStoreData));
            std::vector<SearchHit> hits;
            QString error;
            int candidates = -1;
            QVERIFY(SearchIndex::find(
                db, QStringLiteral("karaagacli"), &hits, &error, 10, &candidates));
            QCOMPARE(candidates, 0);
            QVERIFY(SearchIndex::complete(db));
            app::CloseDb(db);
        }
        QVERIFY2(p.messages.titles().filter(QStringLiteral("HATA")).isEmpty(),
            qPrintable(p.messages.titles().join(QLatin1Char(','))));
    }

    // A surname an older tool wrote in the Turkish code page is found by its
    // letters and shown with them.
    void textInTheTurkishCodePageIsFound()
    {
        testing::Program p;
        fillStore();
        QVERIFY(testing::storeExec(QStringLiteral(
            "INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA) VALUES (4, 'M4', '16ZZ4')")));
        QVERIFY(testing::storeExec(
            QStringLiteral("INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, AD, SOYAD) "
                           "VALUES (4, 1, '44444444444', 'Veli', CAST(X'DE4148DD4E' AS TEXT))")));
        app::upgradeRecordStore();
        const std::vector<SearchHit> hits = find(QStringLiteral("şahin"));
        QCOMPARE(ids(hits), QStringLiteral("4"));
        QCOMPARE(hits.front().owner, QStringLiteral("Veli ŞAHİN"));
    }

    // A large server store's index is made in parts at once: found the same,
    // kept in step by a save; one whose making was cut short before the parts'
    // index was whole is made anew at the next start.
    void aLargeServerStoreIsIndexedInParts()
    {
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        fillStore();
        // The records above were given their IDs; the next save numbers after them.
        QVERIFY(testing::storeExec(
            QStringLiteral("SELECT setval(pg_get_serial_sequence('arackayit', 'id'), 100)")));
        QSqlDatabase db;
        QVERIFY(app::OpenData(db, app::RecordStoreData));
        QString error;
        QVERIFY2(SearchIndex::build(db, {}, &error, 3), qPrintable(error));
        QVERIFY(SearchIndex::exists(db) && SearchIndex::complete(db));
        app::CloseDb(db);
        QCOMPARE(testing::storeColumn(
                     QStringLiteral(
                         "SELECT count(*) FROM pg_inherits WHERE inhparent = 'arama'::regclass"))
                     .value(0)
                     .toInt(),
            3);
        QCOMPARE(ids(find(QStringLiteral("yılmaz"))), QStringLiteral("3,1"));
        QCOMPARE(ids(find(QStringLiteral("5058896611"))), QStringLiteral("1"));
        QCOMPARE(ids(find(QStringLiteral("çakır"))), QStringLiteral("1"));

        records::EntryScreen &s = p.window->entryScreen();
        testing::typeTransaction(s);
        s.txt(records::EntryScreen::ownerBase(1) + 2)->setText(QStringLiteral("Karaağaçlı"));
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);
        QCOMPARE(ids(find(QStringLiteral("karaagacli"))), QString::number(id));

        // While the parts' index is made (the texts there, the whole index
        // not yet) another desk saves: its text goes in for the index to take.
        QVERIFY(testing::storeExec(QStringLiteral("DROP INDEX ARAMA_METIN")));
        s.txt(records::EntryScreen::ownerBase(1) + 2)->setText(QStringLiteral("Yeşilçam"));
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(testing::storeColumn(
                     QStringLiteral("SELECT count(*) FROM ARAMA WHERE ARACID = %1 AND METIN LIKE "
                                    "'%YESILCAM%' AND METIN NOT LIKE '%KARAAGACLI%'")
                         .arg(id))
                     .value(0)
                     .toInt(),
            1);
        // Cut short there: made anew at the next start.
        QVERIFY(app::upgradeRecordStore());
        QCOMPARE(ids(find(QStringLiteral("yesilcam"))), QString::number(id));
        QCOMPARE(ids(find(QStringLiteral("yılmaz"))), QStringLiteral("3,1"));
        QVERIFY2(p.messages.titles().filter(QStringLiteral("HATA")).isEmpty(),
            qPrintable(p.messages.titles().join(QLatin1Char(','))));

        // A part that fails ends the others and says why.
        QVERIFY(app::OpenData(db, app::RecordStoreData));
        QVERIFY(!platform::runTogether(db, {},
            { QStringLiteral("CREATE TABLE BIR (A int)"),
                QStringLiteral("CREATE TABLE IKI (A nosuchtype)") },
            &error));
        QVERIFY2(error.contains(QLatin1String("nosuchtype")), qPrintable(error));
        app::CloseDb(db);
    }

    // Two desks opening a server store without the index at once: the one
    // that comes second goes on at once and leaves the making to the first.
    void aSecondDeskLeavesTheIndexToTheFirst()
    {
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        fillStore();
        QSqlDatabase first;
        QVERIFY(app::OpenData(first, app::RecordStoreData));
        QVERIFY(first.transaction());
        QSqlQuery making(first);
        QVERIFY(making.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(0x4172616d61)));
        making.finish();
        QSqlDatabase second;
        QVERIFY(app::OpenData(second, app::RecordStoreData));
        QString error;
        QVERIFY(testing::storeExec(QStringLiteral("DROP TABLE IF EXISTS ARAMA")));
        QVERIFY2(SearchIndex::build(second, {}, &error), qPrintable(error));
        QVERIFY(!SearchIndex::exists(second));
        first.rollback();
        QVERIFY2(SearchIndex::build(second, {}, &error), qPrintable(error));
        QVERIFY(SearchIndex::exists(second));
        app::CloseDb(second);
        app::CloseDb(first);
        QCOMPARE(ids(find(QStringLiteral("yılmaz"))), QStringLiteral("3,1"));
    }

    // Another program takes a column out of the store while the list is
    // open: the next word typed is still searched, without a message.
    void aColumnTakenOutWhileSearchingIsNoticed_data() { testing::addEngineRows(); }
    void aColumnTakenOutWhileSearchingIsNoticed()
    {
        QFETCH(QString, engine);
        testing::SharedStoreScope store(testing::isPostgresRow(engine));
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        fillStore();
        app::upgradeRecordStore();
        records::RecordList &list = p.window->recordList();
        p.window->entryScreen().cmdBUL()->click();
        list.txtAra()->setText(QStringLiteral("yılmaz"));
        QCOMPARE(list.found().rowCount(), 2);
        QVERIFY(testing::storeExec(QStringLiteral("ALTER TABLE ARACKAYIT DROP COLUMN MODELRENK1")));
        list.txtAra()->setText(QStringLiteral("ayşe"));
        QCOMPARE(list.found().rowCount(), 1);
        QCOMPARE(list.found().id(0), 1);
        QCOMPARE(p.messages.titles(), QStringList());
    }

    // Enter in "Ara" loads the record found; typing that finds nothing
    // loads nothing.
    void enterLoadsTheRecordFound()
    {
        testing::Program p;
        fillStore();
        app::upgradeRecordStore();
        records::EntryScreen &s = p.window->entryScreen();
        records::RecordList &list = p.window->recordList();
        s.cmdBUL()->click();
        list.txtAra()->setText(QStringLiteral("zzqqx"));
        QTest::keyClick(list.txtAra(), Qt::Key_Return);
        QVERIFY(s.frmARA()->isVisibleTo(p.window.get()));
        list.txtAra()->setText(QStringLiteral("yıldız"));
        QTest::keyClick(list.txtAra(), Qt::Key_Return);
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M2"));
    }

    // A surname many records share: the first screenful comes at once, the
    // rest as soon as the typing lets the program breathe, all in the list's
    // order.
    // Few matches are put in order by the store, many are met by walking the
    // list: the same records, in the same order, either way.
    void manyMatchesAllArriveInListOrder_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("records");
        // How many of the list's first rows hold no match.
        QTest::addColumn<int>("without");
        const int many = int(SearchIndex::kSortedCandidates) * 2 + 200;
        for (const char *engine : { "sqlite", "postgresql" }) {
            QTest::addRow("%s, sorted", engine) << QString::fromLatin1(engine) << 300 << 0;
            QTest::addRow("%s, walked", engine) << QString::fromLatin1(engine) << many << 0;
            QTest::addRow("%s, none among the first rows", engine)
                << QString::fromLatin1(engine) << many << SearchIndex::kHeadRows;
        }
    }
    void manyMatchesAllArriveInListOrder()
    {
        QFETCH(QString, engine);
        QFETCH(int, records);
        QFETCH(int, without);
        const bool pg = testing::isPostgresRow(engine);
        testing::SharedStoreScope store(pg);
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        const QString numbers = pg
            ? QStringLiteral("SELECT i, 'M' || i, lpad((%1 + 1 - i)::text, 5, '0') FROM "
                             "generate_series(1, %1) i")
            : QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                             "WHERE i < %1) SELECT i, 'M' || i, printf('%05d', %1 + 1 - i) FROM n");
        QVERIFY(testing::storeExec(QStringLiteral("INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA) ")
            + numbers.arg(records)));
        QVERIFY(testing::storeExec(QStringLiteral(
            "INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, AD, SOYAD) SELECT ID, 1, "
            "CAST(ID AS TEXT), 'Ali', CASE WHEN ID % 2 = 0 AND ID <= %1 THEN 'Yılmaz' ELSE "
            "'Kaya' END FROM ARACKAYIT")
                                       .arg(records - without)));
        // The list shows the highest ID first; the matches are the even IDs
        // after the rows without.
        const int last = (records - without) / 2 * 2;
        app::upgradeRecordStore();
        records::EntryScreen &s = p.window->entryScreen();
        records::RecordList &list = p.window->recordList();
        s.cmdBUL()->click();
        list.txtAra()->setText(QStringLiteral("yılmaz"));
        QVERIFY(list.found().rowCount() > 20);
        QTRY_COMPARE(list.found().rowCount(), last / 2);
        for (int r = 1; r < last / 2; ++r)
            QVERIFY(list.found().cell(r - 1, 1) < list.found().cell(r, 1));
        QCOMPARE(list.found().id(0), last);
        // Typing on narrows it to one.
        list.txtAra()->setText(QStringLiteral("yılmaz M42"));
        int narrowed = 0; // M42, M420, M4200 ...: the even ones
        for (int i = 2; i <= last; i += 2)
            narrowed += QString::number(i).startsWith(QLatin1String("42")) ? 1 : 0;
        QTRY_COMPARE(list.found().rowCount(), narrowed);
        QVERIFY(list.found().id(narrowed - 1) == 42);
    }

    // The rest of a common word's matches comes a part at a time once the
    // typing pauses; a word typed meanwhile starts afresh, and no part of
    // the earlier search lands among its rows.
    void typingOnWhileTheRestArrives()
    {
        testing::Program p;
        const int records = 3000;
        fillYilmaz(records);
        records::RecordList &list = p.window->recordList();
        p.window->entryScreen().cmdBUL()->click();
        list.txtAra()->setText(QStringLiteral("yılmaz"));
        const int first = list.found().rowCount();
        QVERIFY(first >= 20 && first < records);
        // The events one at a time, as a window handles them: the first part
        // of the rest comes alone.
        QElapsedTimer waited;
        waited.start();
        while (list.found().rowCount() == first && waited.elapsed() < 10000) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        QVERIFY(list.found().rowCount() > first);
        QVERIFY(list.found().rowCount() < records);
        list.txtAra()->setText(QStringLiteral("yılmaz 2999"));
        QCOMPARE(list.found().rowCount(), 1);
        QTest::qWait(400);
        QCOMPARE(list.found().rowCount(), 1);
        QCOMPARE(list.found().id(0), 2999);
        list.txtAra()->setText(QStringLiteral("yılmaz"));
        QTRY_COMPARE(list.found().rowCount(), records);
        for (int r = 0; r < records; ++r)
            QCOMPARE(list.found().id(r), r + 1);
        QCOMPARE(p.messages.titles(), QStringList());
    }

    // Another program deletes records while the rest of the matches is
    // read: those still there arrive, the others are left out.
    void aRecordGoneWhileTheRestArrives()
    {
        testing::Program p;
        const int records = 1500; // the candidates put in order by the store
        fillYilmaz(records);
        records::RecordList &list = p.window->recordList();
        p.window->entryScreen().cmdBUL()->click();
        list.txtAra()->setText(QStringLiteral("yılmaz"));
        QVERIFY(list.found().rowCount() + 8 <= 100);
        QVERIFY(testing::storeExec(
            QStringLiteral("DELETE FROM ARACSAHIPLERI WHERE ARACID > 100 AND ARACID <= 1400")));
        QVERIFY(testing::storeExec(
            QStringLiteral("DELETE FROM ARACKAYIT WHERE ID > 100 AND ID <= 1400")));
        QTRY_COMPARE(list.found().rowCount(), 200);
        QCOMPARE(list.found().id(99), 100);
        QCOMPARE(list.found().id(100), 1401);
        QCOMPARE(p.messages.titles(), QStringList());
    }

    // A backup from before the search, restored, and a store moved to the
    // server and back: each found at once.
    void restoredAndMovedStoresAreFound()
    {
        testing::Program p;
        fillStore();
        app::upgradeRecordStore();
        // A copy of the store as an older version left it: no index.
        const QString old = p.folder.path() + QStringLiteral("/eski.mdb");
        QVERIFY(QFile::copy(p.folder.storePath(), old));
        QVERIFY(testing::sqlExec(old, "DROP TABLE ARAMA"));
        // And one whose index keeps its own copy of the text, as an earlier
        // version made it: made anew, not written into the old way.
        const QString earlier = p.folder.path() + QStringLiteral("/onceki.mdb");
        QVERIFY(QFile::copy(old, earlier));
        QVERIFY(testing::sqlExec(earlier,
            "CREATE VIRTUAL TABLE ARAMA USING fts5(METIN, tokenize = 'trigram', detail = 'none')"));
        QVERIFY(testing::storeExec(QStringLiteral("DELETE FROM ARACSAHIPLERI")));
        QVERIFY(testing::storeExec(QStringLiteral("DELETE FROM ARACKAYIT")));
        QCOMPARE(ids(find(QStringLiteral("işık"))), QString());
        QVERIFY(app::restoreRecordStore(earlier).ok);
        app::upgradeRecordStore();
        QCOMPARE(ids(find(QStringLiteral("işık"))), QStringLiteral("1"));
        QVERIFY(app::restoreRecordStore(old).ok);
        app::upgradeRecordStore();
        QCOMPARE(ids(find(QStringLiteral("işık"))), QStringLiteral("1"));

        testing::SharedStoreScope server;
        QVERIFY2(server.ok(), qPrintable(server.error()));
        const testing::ProgramRun move = testing::runProgram(p.folder,
            { QStringLiteral("--shared-store"), server.connection(), QStringLiteral("--move-store"),
                QStringLiteral("shared") });
        QVERIFY2(move.code == 0, qPrintable(move.errors));
        QCOMPARE(ids(find(QStringLiteral("yılmaz"))), QStringLiteral("3,1"));
        // The command line sees the same, one record a line.
        const testing::ProgramRun found = testing::runProgram(p.folder,
            { QStringLiteral("--shared-store"), server.connection(), QStringLiteral("--find"),
                QStringLiteral("çakır") });
        QCOMPARE(found.code, 0);
        QCOMPARE(found.out.trimmed(),
            QStringLiteral("1\t34ABC12\t06ZY345\tNMT00000012345678\tM1\tAyşe Işık\t"
                           "Önceki sahip: soyadı"));
        const testing::ProgramRun none = testing::runProgram(p.folder,
            { QStringLiteral("--shared-store"), server.connection(), QStringLiteral("--find"),
                QStringLiteral("zzqqx") });
        QCOMPARE(none.code, 1);
        QVERIFY(none.out.isEmpty());
    }
};

QTEST_MAIN(TestSearchIndex)
#include "tst_searchindex.moc"
