#include "app/datafiles.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace app;

namespace {

QStringList columns(const QString &table)
{
    QSqlDatabase db;
    if (!OpenData(db, RecordStoreData))
        return {};
    QStringList names;
    {
        const QSqlRecord r = db.record(table);
        for (int i = 0; i < r.count(); ++i)
            names << r.fieldName(i);
    }
    CloseDb(db);
    return names;
}

} // namespace

class TestDataFiles : public QObject {
    Q_OBJECT
private slots:
    void firstStartMakesTheStoreFromItsTemplate()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        QVERIFY(!QFile::exists(folder.storePath()));
        upgradeRecordStore();
        QVERIFY(QFile::exists(folder.storePath()));
        const QStringList vehicle = columns(QStringLiteral("ARACKAYIT"));
        for (const char *c : { "ID", "MOTORNO", "ESKIPLAKA", "TIPONAY2", "OTV_VergiDairesi",
                 "OTV_Tarihi", "OTV_MakbuzNo", "TAKOGRAF" })
            QVERIFY2(vehicle.contains(QLatin1String(c)), c);
        QCOMPARE(columns(QStringLiteral("ARACSAHIPLERI")).size(), 35);
        // Owners are found by their number alone, for returning customers.
        QSqlDatabase db;
        QVERIFY(OpenData(db, RecordStoreData));
        {
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("PRAGMA index_info(ARACSAHIPLERI_KIMLIKNO)")));
            QVERIFY(q.next());
            QCOMPARE(q.value(2).toString(), QStringLiteral("KIMLIKNO"));
            QVERIFY(!q.next());
        }
        CloseDb(db);
        upgradeRecordStore(); // a second start finds the index there
        QVERIFY(messages.shown().isEmpty());
    }

    void anOlderStoreGainsExactlyTheMissingColumns()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        QDir().mkpath(folder.path() + QStringLiteral("/data"));
        {
            auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(folder.storePath());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE ARACKAYIT (ID INTEGER PRIMARY KEY, "
                                          "MOTORNO VARCHAR(60), TIPONAY2 VARCHAR(25))")));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO ARACKAYIT (MOTORNO) VALUES ('M1')")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
        upgradeRecordStore();
        QCOMPARE(columns(QStringLiteral("ARACKAYIT")),
            (QStringList {
                "ID", "MOTORNO", "TIPONAY2", "OTV_VergiDairesi", "OTV_Tarihi", "OTV_MakbuzNo" }));
        upgradeRecordStore(); // a second start changes nothing
        QCOMPARE(columns(QStringLiteral("ARACKAYIT")).size(), 6);
        QSqlDatabase db;
        QVERIFY(OpenData(db, RecordStoreData));
        {
            QSqlQuery q(db);
            // Optional text of its width, empty text allowed.
            QVERIFY(q.exec(QStringLiteral("UPDATE ARACKAYIT SET OTV_Tarihi = ''")));
            QVERIFY(!q.exec(QStringLiteral("UPDATE ARACKAYIT SET OTV_Tarihi = '12345678901'")));
        }
        CloseDb(db);
        QVERIFY(messages.shown().isEmpty());
    }

    void aStoreWithoutItsTemplateStillOpens()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        upgradeRecordStore();
        QDir(folder.path() + QStringLiteral("/MDQ")).removeRecursively();
        QSqlDatabase db;
        QVERIFY(OpenData(db, RecordStoreData));
        CloseDb(db);
        QVERIFY(messages.shown().isEmpty());
    }

    void noStoreAndNoTemplateEndsTheProgram()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder(false);
        QSqlDatabase db;
        QVERIFY(!OpenData(db, RecordStoreData));
        QCOMPARE(messages.titles(), (QStringList { "GENEL HATA", "DİKKAT" }));
        QVERIFY(messages.shown().at(0).text.contains(QStringLiteral("DataKontrolEt")));
        QVERIFY(messages.shown().at(1).text.startsWith(
            QStringLiteral("Data yaratmada sorunla karşılaşıldı. Program sonlandırılacaktır.")));
        QCOMPARE(messages.exits(), 1);
    }

    void otherFilesAreCopiedBesideTheProgram()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        for (int code : { ConstantsData, ProvincesData, VehiclesData }) {
            QSqlDatabase db;
            QVERIFY(OpenData(db, code));
            CloseDb(db);
        }
        QVERIFY(QFile::exists(folder.path() + QStringLiteral("/sabit.mdb")));
        QVERIFY(QFile::exists(folder.path() + QStringLiteral("/IL.mdb")));
        QVERIFY(QFile::exists(folder.path() + QStringLiteral("/Arac.mdb")));
        QVERIFY(!QFile::exists(folder.path() + QStringLiteral("/data/sabit.mdb")));
        QSqlDatabase db;
        QVERIFY(!OpenData(db, 5));
        QVERIFY(messages.shown().isEmpty());
    }

    void aDamagedStoreIsReportedNotOpened_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray(4096, 'x');
        QTest::newRow("zero length") << QByteArray();
        QTest::newRow("truncated") << QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\0');
    }
    void aDamagedStoreIsReportedNotOpened()
    {
        QFETCH(QByteArray, content);
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        QDir().mkpath(folder.path() + QStringLiteral("/data"));
        QFile f(folder.storePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        QSqlDatabase db;
        const bool opened = OpenData(db, RecordStoreData);
        if (content.isEmpty()) {
            // SQLite takes a zero-length file as a new, empty database.
            QVERIFY(opened);
            CloseDb(db);
            return;
        }
        QVERIFY(!opened);
        QVERIFY(!db.isValid());
        QCOMPARE(messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(messages.shown().first().text.contains(QStringLiteral("1 Data açılışında...")));
        QCOMPARE(messages.exits(), 0);
        // Nothing replaced the damaged file: it stays for whoever can mend it.
        QCOMPARE(QFileInfo(folder.storePath()).size(), qint64(content.size()));
    }

    void closingWhatIsNotOpenIsHarmless()
    {
        QSqlQuery q;
        CloseRs(q);
        QSqlDatabase db;
        CloseDb(db);
        QVERIFY(!db.isValid());
    }
};

QTEST_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
