#include "app/appstate.h"
#include "app/compaction.h"
#include "app/datafiles.h"
#include "app/mainwindow.h"
#include "app/sharedstore.h"
#include "app/startup.h"
#include "app/storemove.h"
#include "records/entryscreen.h"
#include "records/loadrecord.h"
#include "records/recordlist.h"
#include "records/saverecord.h"
#include "support/pgcluster.h"
#include "support/recordtables.h"
#include "support/testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace app;

namespace {

// The names of a table's columns, or of an index's, in their order.
QStringList columns(const QString &table, const char *of = "table_info")
{
    QString names;
    testing::sqlExec(app::dataFilePath(RecordStoreData),
        QStringLiteral("SELECT group_concat(name) FROM pragma_%1('%2')").arg(of, table).toUtf8(),
        &names);
    return names.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

// Every folder and file under the program folder that is open to anyone but
// its owner, as "path mode"; the templates are the test's own.
QStringList openToOthers(const QString &program, const QString &except)
{
    QStringList wide;
    QDirIterator it(program, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat s { };
        if (path.contains(QStringLiteral("/MDQ")) || path == except
            || ::stat(QFile::encodeName(path).constData(), &s) != 0)
            continue;
        const mode_t wanted = S_ISDIR(s.st_mode) ? 0700 : 0600;
        if ((s.st_mode & 07777) != wanted)
            wide << QStringLiteral("%1 %2").arg(path).arg(s.st_mode & 07777, 0, 8);
    }
    return wide;
}

mode_t modeOf(const QString &path)
{
    struct stat s { };
    ::stat(QFile::encodeName(path).constData(), &s);
    return s.st_mode & 07777;
}

int storeCount(const char *table)
{
    return testing::storeColumn(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table))
        .value(0)
        .toInt();
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
        QCOMPARE(columns(QStringLiteral("ARACSAHIPLERI")).size(), 35);
        // Owners are found by their number alone, for returning customers.
        QCOMPARE(columns(QStringLiteral("ARACSAHIPLERI_KIMLIKNO"), "index_info"),
            QStringList { QStringLiteral("KIMLIKNO") });
        upgradeRecordStore(); // a second start finds the index there
        // The other files are copied beside the program, not into the data folder.
        for (int code : { ConstantsData, ProvincesData, VehiclesData }) {
            QSqlDatabase db;
            QVERIFY(OpenData(db, code));
            CloseDb(db);
        }
        for (const char *name : { "/sabit.mdb", "/IL.mdb", "/Arac.mdb" })
            QVERIFY2(QFile::exists(folder.path() + QLatin1String(name)), name);
        QVERIFY(!QFile::exists(folder.path() + QStringLiteral("/data/sabit.mdb")));
        QSqlDatabase unknown;
        QVERIFY(!OpenData(unknown, 5));
        // Once made, the store opens without its template.
        QDir(folder.path() + QStringLiteral("/MDQ")).removeRecursively();
        QSqlDatabase db;
        QVERIFY(OpenData(db, RecordStoreData));
        CloseDb(db);
        QVERIFY(messages.shown().isEmpty());
    }

    void anOlderStoreGainsExactlyTheMissingColumns()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        QDir().mkpath(folder.path() + QStringLiteral("/data"));
        QVERIFY(testing::writeFile(folder.storePath(), {})); // SQLite takes it as a new store
        QVERIFY(testing::sqlExec(folder.storePath(),
            "CREATE TABLE ARACKAYIT (ID INTEGER PRIMARY KEY, MOTORNO VARCHAR(60), "
            "TIPONAY2 VARCHAR(25)); INSERT INTO ARACKAYIT (MOTORNO) VALUES ('M1')"));
        upgradeRecordStore();
        QCOMPARE(columns(QStringLiteral("ARACKAYIT")),
            (QStringList { "ID", "MOTORNO", "TIPONAY2", "OTV_VergiDairesi", "OTV_Tarihi",
                "OTV_MakbuzNo", "DEGISIKLIKNO", "DEGISIKLIKZAMANI", "DEGISIKLIKMASA" }));
        upgradeRecordStore(); // a second start changes nothing
        QCOMPARE(columns(QStringLiteral("ARACKAYIT")).size(), 9);
        // Optional text of its width, empty text allowed.
        QVERIFY(testing::sqlExec(folder.storePath(), "UPDATE ARACKAYIT SET OTV_Tarihi = ''"));
        QVERIFY(!testing::sqlExec(
            folder.storePath(), "UPDATE ARACKAYIT SET OTV_Tarihi = '12345678901'"));
        QVERIFY(messages.shown().isEmpty());
    }

    void noStoreAndNoTemplateEndsTheProgram()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder(false);
        QSqlDatabase db;
        QVERIFY(!OpenData(db, RecordStoreData));
        QCOMPARE(messages.titles(), (QStringList { "GENEL HATA", "Dikkat" }));
        QVERIFY(messages.shown().at(0).text.contains(QStringLiteral("DataKontrolEt")));
        QVERIFY(messages.shown().at(1).text.startsWith(
            QStringLiteral("Data yaratmada sorunla karşılaşıldı. Program sonlandırılacaktır.")));
        QCOMPARE(messages.exits(), 1);
        // Closing what never opened is harmless.
        QSqlQuery q;
        CloseRs(q);
        CloseDb(db);
        QVERIFY(!db.isValid());
    }

    void aDamagedStoreIsReportedNotOpened_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("said");
        QTest::newRow("garbage") << QByteArray(4096, 'x')
                                 << QStringLiteral("bir veri tabanı dosyası değil");
        QTest::newRow("truncated") << QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\0')
                                   << QStringLiteral("veri tabanı dosyası değil");
        QTest::newRow("a folder in its place")
            << QByteArray() << QStringLiteral("Veri dosyası açılamadı");
    }
    void aDamagedStoreIsReportedNotOpened()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        QDir().mkpath(folder.path() + QStringLiteral("/data"));
        if (content.isEmpty())
            QVERIFY(QDir().mkpath(folder.storePath()));
        else
            QVERIFY(testing::writeFile(folder.storePath(), content));
        QSqlDatabase db;
        QVERIFY(!OpenData(db, RecordStoreData));
        QVERIFY(!db.isValid());
        QCOMPARE(messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        const QString text = messages.shown().first().text;
        QVERIFY(text.contains(QStringLiteral("1 Data açılışında...")));
        // In Turkish; the engine's English words only as a technical tail.
        const QString told = text.section(QStringLiteral("[SQLite:"), 0, 0);
        QVERIFY2(told.contains(said) && !told.contains(QStringLiteral("database"))
                && !told.contains(QStringLiteral("unable")),
            qPrintable(text));
        QCOMPARE(messages.exits(), 0);
        // Nothing replaced the damaged file: it stays for whoever can mend it.
        if (!content.isEmpty())
            QCOMPARE(QFileInfo(folder.storePath()).size(), qint64(content.size()));
    }

    void personalDataIsTheClerksAlone_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("first start") << QString();
        QTest::newRow("an earlier version's wide modes") << QStringLiteral("wide");
        QTest::newRow("another user's store") << QStringLiteral("foreign");
    }
    void personalDataIsTheClerksAlone()
    {
        QFETCH(QString, before);
        if (before == QLatin1String("foreign") && ::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        const mode_t umaskWas = ::umask(022);
        QTemporaryDir dir;
        qputenv("XDG_DESKTOP_DIR", dir.filePath(QStringLiteral("Masaüstü")).toUtf8());
        const QString program = dir.filePath(QStringLiteral("program"));
        const QString store = program + QStringLiteral("/data/tescil.mdb");
        testing::copyTemplates(program);
        if (!before.isEmpty()) {
            QDir().mkpath(program + QStringLiteral("/data"));
            QDir().mkpath(program + QStringLiteral("/Fotolar"));
            QFile::copy(program + QStringLiteral("/MDQ/tescil.mdq"), store);
            QFile::copy(program + QStringLiteral("/MDQ/tescil.mdq"), store + QLatin1Char('x'));
            QFile::copy(
                program + QStringLiteral("/MDQ/Arac.mdq"), program + QStringLiteral("/Arac.mdb"));
            if (before == QLatin1String("foreign"))
                QCOMPARE(::chown(QFile::encodeName(store).constData(), 65534, 65534), 0);
            QCOMPARE(modeOf(store), mode_t(0644));
        }
        const QString foreign = before == QLatin1String("foreign") ? store : QString();
        testing::ScriptedMessages messages;
        app::runStartupSequence(
            app::resolveStartOptions(program, dir.filePath(QStringLiteral("bosluk"))));
        app::MainWindow window;
        window.load();
        records::EntryScreen &screen = window.entryScreen();
        screen.txt(16)->setText(QStringLiteral("MOTOR-1"));
        screen.txt(40)->setText(QStringLiteral("12345678901"));
        QVERIFY(records::Kaydet(screen, QString()) > 0);
        QCOMPARE(openToOthers(program, foreign), QStringList());
        if (!foreign.isEmpty()) {
            QCOMPARE(modeOf(foreign), mode_t(0644)); // not the program's to change
        } else {
            // The files the engine makes beside the store take the store's mode:
            // a rollback journal during a write, the log and its index in WAL mode.
            sqlite3 *other = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(store).constData(), &other), SQLITE_OK);
            QCOMPARE(
                sqlite3_exec(other, "BEGIN; DELETE FROM ARACSAHIPLERI;", nullptr, nullptr, nullptr),
                SQLITE_OK);
            QVERIFY(QFile::exists(store + QStringLiteral("-journal")));
            QCOMPARE(openToOthers(program, QString()), QStringList());
            QCOMPARE(sqlite3_exec(other,
                         "ROLLBACK; PRAGMA journal_mode = WAL; SELECT count(*) FROM ARACKAYIT;",
                         nullptr, nullptr, nullptr),
                SQLITE_OK);
            screen.txt(16)->setText(QStringLiteral("MOTOR-2"));
            QVERIFY(records::Kaydet(screen, QString()) > 0);
            QVERIFY(QFile::exists(store + QStringLiteral("-shm")));
            QCOMPARE(openToOthers(program, QString()), QStringList());
            sqlite3_close(other);
        }

        // Twice: the second moves the first one's compact copy aside.
        messages.reset();
        app::CompactData(store);
        app::CompactData(store);
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.shown().value(0).text));
        QVERIFY(QFile::exists(store + QLatin1Char('x')));
        QCOMPARE(openToOthers(program, QString()), QStringList());
        app::folders() = app::Folders();
        ::umask(umaskWas);
    }

    // An empty database on the server gets the template's tables on first
    // use, with the same columns and widths, and the same upgrade: a second
    // start (or a second desk) changes nothing and shows nothing.
    void aSharedStoreGetsTheTemplatesTablesAndTheUpgrade()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        upgradeRecordStore();
        upgradeRecordStore();
        QVERIFY(messages.shown().isEmpty());
        QVERIFY(!QFile::exists(folder.storePath())); // nothing local is made
        for (const QString &table : recordStoreTables()) {
            // name:width of every column of the template, then of the server's table
            QString local;
            testing::sqlExec(templatePath(RecordStoreData),
                QStringLiteral("SELECT group_concat(upper(name) || ':' || CASE WHEN type LIKE "
                               "'VARCHAR(%' THEN substr(type, 9, length(type) - 9) ELSE '' END) "
                               "FROM pragma_table_info('%1')")
                    .arg(table)
                    .toUtf8(),
                &local);
            if (table == QLatin1String("ARACKAYIT"))
                local += QStringLiteral(",DEGISIKLIKNO:,DEGISIKLIKZAMANI:19,DEGISIKLIKMASA:40");
            const QVariantList server = testing::storeColumn(
                QStringLiteral("SELECT string_agg(upper(column_name) || ':' || "
                               "coalesce(character_maximum_length::text, ''), ',' ORDER BY "
                               "ordinal_position) FROM information_schema.columns WHERE "
                               "table_name = lower('%1')")
                    .arg(table));
            QCOMPARE(server.value(0).toString(), local);
        }
        // Texts take the empty text and no more than their width; dates are dates.
        QVERIFY(testing::storeExec(QStringLiteral(
            "INSERT INTO ARACKAYIT (MOTORNO, ESKIPLAKA, OTV_Tarihi, BELGETARIHI) VALUES "
            "('M1', '', '', '2009-11-05')")));
        QVERIFY(!testing::storeExec(QStringLiteral(
            "INSERT INTO ARACKAYIT (MOTORNO, OTV_Tarihi) VALUES ('M2', '12345678901')")));
        QVERIFY(!testing::storeExec(QStringLiteral(
            "INSERT INTO ARACKAYIT (MOTORNO, BELGETARIHI) VALUES ('M3', '31.02.2009')")));
        // The template's indexes and the upgrade's.
        QCOMPARE(testing::storeColumn(
                     QStringLiteral(
                         "SELECT string_agg(indexname, ',' ORDER BY indexname) FROM "
                         "pg_indexes WHERE schemaname = 'public' AND indexname NOT LIKE '%pkey'"))
                     .value(0)
                     .toString(),
            QStringLiteral("arackayit_anahtar,arackayit_liste,aracsahipleri_kimlik,"
                           "aracsahipleri_kimlikno,aracsahipleri_sahip,arama_metin"));
    }

    // A large shared store gets the upgrade's indexes even when making one
    // takes longer than a save may wait on the server.
    void aLargeSharedStoreGetsItsIndexesWhateverTheSavesBound()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        QVERIFY(upgradeRecordStore());
        QVERIFY(testing::storeExec(QStringLiteral(
            "INSERT INTO ARACKAYIT (MOTORNO, ESKIPLAKA, YENIPLAKA, SASENO) SELECT 'M' || i, "
            "left(md5(i::text), 20), left(md5(i::text), 10), md5(i::text) FROM "
            "generate_series(1, 200000) i")));
        // The search index is as complete as a start wants it.
        QVERIFY(testing::storeExec(
            QStringLiteral("INSERT INTO ARAMA (ARACID, METIN) SELECT ID, '' FROM ARACKAYIT")));
        QVERIFY(testing::storeExec(QStringLiteral("DROP INDEX ARACKAYIT_LISTE")));
        setServerWaitBounds(5000, 80);
        const bool upgraded = upgradeRecordStore();
        setServerWaitBounds(5000, 15000);
        QVERIFY2(upgraded, qPrintable(messages.titles().join(QLatin1Char(','))));
        QCOMPARE(messages.shown().size(), 0);
        QCOMPARE(testing::storeColumn(
                     QStringLiteral(
                         "SELECT count(*) FROM pg_indexes WHERE indexname = 'arackayit_liste'"))
                     .value(0)
                     .toInt(),
            1);
    }

    // A server that cannot be reached: the error box names it, in the
    // opening's section, and the program neither ends nor compacts anything
    // at its exit.
    void anUnreachableServerIsNamedAndNothingEnds()
    {
        testing::ProgramFolder folder;
        QDir().mkpath(folder.path() + QStringLiteral("/data"));
        QVERIFY(QFile::copy(templatePath(RecordStoreData), folder.storePath()));
        const QByteArray before = testing::contents(folder.storePath());
        sharedStore().connection =
            QStringLiteral("host=/nonexistent/evrakmatik port=5432 dbname=evrakmatik user=masa");
        {
            testing::Program p;
            QCOMPARE(p.messages.shown().size(), 1); // once, not by every step of the upgrade
            for (const platform::MessageRequest &box : p.messages.shown()) {
                QCOMPARE(box.title, QStringLiteral("GENEL HATA"));
                QVERIFY2(box.text.contains(QStringLiteral("1 Data açılışında..."))
                        && box.text.contains(QStringLiteral(
                            "bağlanılamadı: /nonexistent/evrakmatik yanıt vermiyor")),
                    qPrintable(box.text));
            }
            p.messages.reset();
            testing::typeTransaction(p.window->entryScreen());
            QCOMPARE(records::Kaydet(p.window->entryScreen(), QString()), qint64(0));
            QVERIFY(!p.messages.shown().isEmpty());
            p.messages.reset();
            p.window->ExitProgram();
            QCOMPARE(p.messages.exits(), 1);
            QVERIFY(p.messages.shown().isEmpty());
        }
        // A print from the command line names the server, not a local file it does not use.
        const testing::ProgramRun print = testing::runProgram(folder,
            { QStringLiteral("--shared-store"), sharedStore().connection,
                QStringLiteral("--print-pdf"), QStringLiteral("ek9"), QStringLiteral("--id"),
                QStringLiteral("1"), QStringLiteral("--out"),
                folder.path() + QStringLiteral("/a.pdf") });
        QCOMPARE(print.code, 1);
        QVERIFY2(print.errors.contains(QStringLiteral(
                     "Ortak kayıt deposu açılamadı (sunucu: /nonexistent/evrakmatik)"))
                && !print.errors.contains(QStringLiteral("tescil.mdb")),
            qPrintable(print.errors));
        // A server that answers but lacks the database is told apart.
        QVERIFY2(testing::pgCluster().start(), qPrintable(testing::pgCluster().error()));
        sharedStore().connection = testing::pgCluster().connection(QStringLiteral("yokdb"));
        QSqlDatabase db;
        {
            testing::ScriptedMessages messages;
            QVERIFY(!OpenData(db, RecordStoreData));
            QVERIFY2(messages.shown().value(0).text.contains(
                         QStringLiteral("ayarda adı geçen veritabanı yok")),
                qPrintable(messages.shown().value(0).text));
        }
        sharedStore() = SharedStore();
        QCOMPARE(testing::contents(folder.storePath()), before);
        QVERIFY(!QFile::exists(compactionTempPath(folder.storePath())));
    }

    // Every form libpq takes reaches the server: keywords, an address (the
    // host in it or in its query), a service. A text libpq cannot read is
    // refused with its reason, never taken for a server that is down, and
    // the desk's name comes from the same file.
    void everyConnectionTextLibpqTakesConnects()
    {
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::ProgramFolder folder;
        const QString socket = testing::pgCluster().socketFolder();
        const QString database = store.connection()
                                     .section(QStringLiteral("dbname="), 1)
                                     .section(QLatin1Char(' '), 0, 0);
        const QString services = folder.path() + QStringLiteral("/pg_service.conf");
        QVERIFY(testing::writeFile(services,
            QStringLiteral("[evrakmatik]\nhost=%1\nport=5432\ndbname=%2\nuser=evrakmatik\n")
                .arg(socket, database)
                .toUtf8()));
        qputenv("PGSERVICEFILE", QFile::encodeName(services));
        const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(socket));
        for (const QString &text : { store.connection(),
                 QStringLiteral("postgresql://evrakmatik@%1:5432/%2").arg(encoded, database),
                 QStringLiteral("postgresql:///%1?host=%2&user=evrakmatik").arg(database, socket),
                 QStringLiteral("service=evrakmatik") }) {
            testing::ScriptedMessages messages;
            QDir().mkpath(folder.path() + QStringLiteral("/data"));
            QVERIFY(testing::writeFile(
                sharedStoreSettingsPath(), (QStringLiteral("Baglanti=") + text).toUtf8()));
            QString why;
            QVERIFY2(chooseSharedStore(QString(), &why), qPrintable(why));
            QVERIFY(upgradeRecordStore());
            QCOMPARE(testing::storeColumn(QStringLiteral("SELECT current_database()")).value(0),
                QVariant(database));
            QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.shown().value(0).text));
        }
        qunsetenv("PGSERVICEFILE");
        QVERIFY(testing::writeFile(sharedStoreSettingsPath(),
            "Masa=2. masa\nBaglanti=postgresql://sunucu/evrakmatik?bilinmeyen=1\n"));
        QString why;
        QVERIFY(!chooseSharedStore(QString(), &why));
        QVERIFY2(why.startsWith(QStringLiteral("Ortak kayıt deposunun bağlantı metni okunamadı: "))
                && why.contains(QStringLiteral("bilinmeyen")),
            qPrintable(why));
        QVERIFY(testing::writeFile(sharedStoreSettingsPath(), "Masa=2. masa\n"));
        QVERIFY(chooseSharedStore(QString(), &why));
        QVERIFY(!usesSharedStore());
        QCOMPARE(deskName(), QStringLiteral("2. masa"));
        sharedStore() = SharedStore();
        QVERIFY(!deskName().isEmpty()); // this machine and user
    }

    // The office's split: the owner role makes and upgrades the tables, a
    // desk's role only reads and writes records. The desk saves, loads and
    // lists, cannot drop a table, and on an older store says what to run;
    // the administrator's command upgrades it.
    void aDeskRoleWorksTheRecordsButNotTheTables()
    {
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::ProgramFolder folder;
        QVERIFY(upgradeRecordStore());
        for (const char *sql : { "DO $$ BEGIN CREATE ROLE masa LOGIN; EXCEPTION WHEN "
                                 "duplicate_object THEN NULL; END $$",
                 "GRANT SELECT, INSERT, UPDATE, DELETE ON ARACKAYIT, ARACSAHIPLERI, ARAMA TO masa",
                 "GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO masa" })
            QVERIFY2(testing::storeExec(QLatin1String(sql)), sql);
        const QString owner = store.connection();
        const QString desk =
            QString(owner).replace(QStringLiteral("user=evrakmatik"), QStringLiteral("user=masa"));
        sharedStore().connection = desk;
        {
            testing::Program p;
            QVERIFY2(p.messages.shown().isEmpty(), qPrintable(p.messages.shown().value(0).text));
            records::EntryScreen &s = p.window->entryScreen();
            testing::typeTransaction(s);
            const qint64 id = records::Kaydet(s, QString());
            QVERIFY(id > 0);
            s.EkraniTemizle();
            QVERIFY(records::OKU(s, id));
            QCOMPARE(s.txt(16)->text().isEmpty(), false);
            QCOMPARE(p.window->recordList().fill(), 1);
            p.window->recordList().close();
            QCOMPARE(p.messages.shown().size(), 1); // the save's own box
            QSqlDatabase db;
            QVERIFY(OpenData(db, RecordStoreData));
            QSqlQuery drop(db);
            QVERIFY(!drop.exec(QStringLiteral("DROP TABLE ARACSAHIPLERI")));
            QCOMPARE(drop.lastError().nativeErrorCode(), QStringLiteral("42501"));
            drop = QSqlQuery();
            CloseDb(db);
        }
        // A store of an older version: the desk names the command to run.
        sharedStore().connection = owner;
        QVERIFY(
            testing::storeExec(QStringLiteral("ALTER TABLE ARACKAYIT DROP COLUMN DEGISIKLIKMASA")));
        sharedStore().connection = desk;
        {
            testing::ScriptedMessages messages;
            QVERIFY(!upgradeRecordStore());
            QCOMPARE(messages.shown().size(), 1);
            QVERIFY2(messages.shown().at(0).text.contains(
                         QStringLiteral("evrakmatik --upgrade-store --shared-store")),
                qPrintable(messages.shown().at(0).text));
            QCOMPARE(messages.exits(), 0);
        }
        const testing::ProgramRun upgraded = testing::runProgram(
            folder, { QStringLiteral("--shared-store"), owner, QStringLiteral("--upgrade-store") });
        QVERIFY2(upgraded.code == 0, qPrintable(upgraded.errors));
        {
            testing::ScriptedMessages messages;
            QVERIFY(upgradeRecordStore());
            QVERIFY(messages.shown().isEmpty());
        }
        sharedStore() = SharedStore();
    }

    // A password is never taken from the command line or the settings file,
    // and never repeated in the message.
    void aPasswordInTheSettingIsRefused_data() { testing::addTableRows("sharedstoresettings.tsv"); }

    void aPasswordInTheSettingIsRefused()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, file);
        QFETCH(QString, chosen);
        testing::ProgramFolder folder;
        QDir().mkpath(folder.path() + QStringLiteral("/data"));
        if (!file.isEmpty())
            QVERIFY(testing::writeFile(sharedStoreSettingsPath(), file.toUtf8()));
        QString why;
        QCOMPARE(chooseSharedStore(commandLine, &why), !chosen.isEmpty());
        QCOMPARE(sharedStore().connection, chosen);
        QVERIFY(!why.contains(QStringLiteral("Gizli")));
        QCOMPARE(why.isEmpty(), !chosen.isEmpty());
        sharedStore() = SharedStore();
        if (chosen.isEmpty()) {
            // The program does not start on a local store in the shared one's place.
            const testing::ProgramRun desk = testing::runProgram(folder,
                QStringList { QStringLiteral("--list-backups") }
                    + (commandLine.isEmpty()
                            ? QStringList()
                            : QStringList { QStringLiteral("--shared-store"), commandLine }));
            QCOMPARE(desk.code, 2);
            QVERIFY2(desk.errors.contains(QStringLiteral("program açılmadı"))
                    && !desk.errors.contains("Gizli") && desk.out.isEmpty(),
                qPrintable(desk.errors));
        }
    }

    // The local store to the server and back: every record, IDs and values
    // kept; a target that holds records is refused; new records follow the
    // copied ones.
    // Another program's trigger on the shared store swallows new records:
    // neither the upgrade, --upgrade-store nor a move touches it, and each
    // says why.
    void aForeignTriggerOnTheServerIsRefused()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        QVERIFY(upgradeRecordStore());
        QVERIFY(testing::storeExec(QStringLiteral(
            "CREATE FUNCTION yut() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RETURN NULL; END "
            "$$")));
        QVERIFY(testing::storeExec(QStringLiteral(
            "CREATE TRIGGER yut BEFORE INSERT ON arackayit FOR EACH ROW EXECUTE FUNCTION yut()")));
        messages.reset();
        QVERIFY(!upgradeRecordStore());
        QCOMPARE(messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        const QString said = messages.shown().first().text;
        QVERIFY2(
            said.contains(QStringLiteral("tetikleyici")) && said.contains(QStringLiteral("yut")),
            qPrintable(said));
        QCOMPARE(upgradeStore(), 1);
        QCOMPARE(moveStore(QStringLiteral("local")), 1);
        QVERIFY(!QFile::exists(folder.storePath()));
    }

    void movingAStoreCopiesEverythingAndRefusesAFullTarget()
    {
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        testing::typeTransaction(s);
        const qint64 first = records::Kaydet(s, QString());
        QVERIFY(first > 0);
        const QStringList typed = testing::snapshot(s);
        QVERIFY(testing::storeExec(
            QStringLiteral("INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA) VALUES "
                           "(70, 'M' || char(9) || '7\\0' || char(10) || char(13), NULL)")));
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        // The program's own command, as the office's administrator runs it.
        const testing::ProgramRun move = testing::runProgram(p.folder,
            { QStringLiteral("--shared-store"), store.connection(), QStringLiteral("--move-store"),
                QStringLiteral("shared") });
        QVERIFY2(move.code == 0, qPrintable(move.errors));
        QVERIFY2(move.out.startsWith(QStringLiteral(
                     "2 araç kaydı (ARACKAYIT) ve 3 araç sahibi satırı (ARACSAHIPLERI) aktarıldı")),
            qPrintable(move.out));
        QCOMPARE(storeCount("ARACKAYIT"), 2);
        QCOMPARE(storeCount("ARACSAHIPLERI"), 3);
        s.EkraniTemizle();
        testing::resetChoices(s);
        QVERIFY(records::OKU(s, first));
        QCOMPARE(testing::snapshot(s), typed);
        // Refused a second time: the server holds the records now.
        QCOMPARE(moveStore(QStringLiteral("shared")), 1);
        QCOMPARE(storeCount("ARACKAYIT"), 2);

        s.txt(16)->setText(QStringLiteral("MTR-YENI"));
        QVERIFY(records::Kaydet(s, QString()) > 70);

        // Back into an empty local store, saying what it copied.
        QFile::remove(p.folder.storePath());
        QSqlDatabase local;
        QSqlDatabase server;
        QVERIFY(OpenData(server, RecordStoreData));
        const SharedStore shared = sharedStore();
        sharedStore() = SharedStore();
        upgradeRecordStore();
        QVERIFY(OpenData(local, RecordStoreData));
        QString report;
        QString error;
        QVERIFY2(copyRecords(server, local, &report, &error), qPrintable(error));
        QVERIFY2(
            report.startsWith(QStringLiteral("3 araç kaydı (ARACKAYIT) ve 6 araç sahibi satırı")),
            qPrintable(report));
        QVERIFY(!copyRecords(server, local, &report, &error));
        QVERIFY2(error.startsWith(QStringLiteral(
                     "Hedef kayıt deposunun ARACKAYIT tablosunda zaten 3 satır var")),
            qPrintable(error));
        CloseDb(local);
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACKAYIT"), 3);
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACSAHIPLERI"), 6);
        // A target that keeps other values than it was given keeps nothing.
        QFile::remove(p.folder.storePath());
        upgradeRecordStore();
        QVERIFY(testing::sqlExec(p.folder.storePath(),
            "CREATE TRIGGER other AFTER INSERT ON ARACKAYIT BEGIN UPDATE ARACKAYIT SET SASENO = "
            "'BAŞKA' WHERE ID = NEW.ID; END"));
        QVERIFY(OpenData(local, RecordStoreData));
        QVERIFY(!copyRecords(server, local, &report, &error));
        QVERIFY2(error.contains(QStringLiteral("SASENO sütunu iki depoda farklı"))
                && error.endsWith(QStringLiteral("Aktarım geri alındı.")),
            qPrintable(error));
        CloseDb(local);
        CloseDb(server);
        sharedStore() = shared;
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACKAYIT"), 0);
    }
};

QTEST_MAIN(TestDataFiles)
#include "tst_datafiles.moc"