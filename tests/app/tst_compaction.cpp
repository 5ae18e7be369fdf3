#include "app/compaction.h"
#include "app/datafiles.h"
#include "platform/sqliteengine.h"
#include "support/testsupport.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>

#include <sqlite3.h>

using namespace app;

namespace {

int count(const QString &path, const char *table)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    int n = -1;
    if (sqlite3_prepare_v2(
            db, QByteArray("SELECT count(*) FROM ").append(table).constData(), -1, &st, nullptr)
            == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

void fill(int rows)
{
    QSqlDatabase db;
    QVERIFY(OpenData(db, RecordStoreData));
    {
        QSqlQuery q(db);
        db.transaction();
        for (int i = 0; i < rows; ++i) {
            q.prepare(QStringLiteral("INSERT INTO ARACKAYIT (MOTORNO, ESKIPLAKA, HAKLAR) "
                                     "VALUES (?, 'YOK', ?)"));
            q.addBindValue(QStringLiteral("M%1").arg(i));
            q.addBindValue(QString(140, QLatin1Char('h')));
            q.exec();
            q.prepare(QStringLiteral("INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO) "
                                     "VALUES (?, 1, 'K')"));
            q.addBindValue(i + 1);
            q.exec();
        }
        q.exec(QStringLiteral("DELETE FROM ARACKAYIT WHERE ID % 2 = 0"));
        db.commit();
    }
    CloseDb(db);
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QString journalMode(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_stmt *st = nullptr;
    QString mode;
    if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        mode = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return mode;
}

// remove: no store; empty: zero bytes; drop: a database without the tables;
// page: garbage over part of the vehicle table.
void spoil(const QString &store, const QString &how)
{
    if (how == QLatin1String("remove")) {
        QFile::remove(store);
    } else if (how == QLatin1String("empty")) {
        QFile::resize(store, 0);
    } else if (how == QLatin1String("drop")) {
        sqlite3 *db = nullptr;
        sqlite3_open(store.toUtf8().constData(), &db);
        sqlite3_exec(
            db, "DROP TABLE ARACSAHIPLERI; DROP TABLE ARACKAYIT;", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    } else {
        sqlite3 *db = nullptr;
        sqlite3_open(store.toUtf8().constData(), &db);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
            "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_master "
            "WHERE name = 'ARACKAYIT'",
            -1, &st, nullptr);
        sqlite3_step(st);
        const qint64 page = sqlite3_column_int64(st, 0);
        const qint64 size = sqlite3_column_int64(st, 1);
        sqlite3_finalize(st);
        sqlite3_close(db);
        QFile f(store);
        f.open(QIODevice::ReadWrite);
        f.seek((page - 1) * size + 8);
        f.write(QByteArray(int(size / 2), '\xA5'));
    }
}

// Another program that keeps the store open, as the sqlite3 shell would.
class OtherProgram {
public:
    bool start(const QString &folder, const QString &mode, const QString &write = QString())
    {
        QStringList args { QStringLiteral("hold"), folder, mode };
        if (!write.isEmpty())
            args << write;
        process_.start(QStringLiteral(EVRAKMATIK_CRASH_CHILD), args);
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(60000))
                return false;
        return process_.readLine() == "ready\n";
    }
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.closeWriteChannel();
        process_.waitForFinished();
    }
    void kill()
    {
        process_.kill();
        process_.waitForFinished();
    }
    ~OtherProgram() { stop(); }

private:
    QProcess process_;
};

} // namespace

class TestCompaction : public QObject {
    Q_OBJECT
private slots:
    void compactionKeepsEveryRowAndLeavesTheOldFile()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        upgradeRecordStore();
        fill(400);
        const QString store = folder.storePath();
        const qint64 before = QFileInfo(store).size();
        QFile leftover(store + QLatin1Char('x'));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("an earlier run's temporary file");
        leftover.close();
        CompactData(store);
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.shown().value(0).text));
        QVERIFY(QFileInfo(store).size() <= before);
        QCOMPARE(count(store, "ARACKAYIT"), 200);
        QCOMPARE(count(store, "ARACSAHIPLERI"), 400);
        QCOMPARE(count(store + QLatin1Char('x'), "ARACKAYIT"), 200);
        QVERIFY(platform::integrityCheck(store).ok);
        // The constraints came along: a text over its width is still refused.
        QSqlDatabase db;
        QVERIFY(OpenData(db, RecordStoreData));
        {
            QSqlQuery q(db);
            QVERIFY(!q.exec(QStringLiteral("UPDATE ARACKAYIT SET TIPONAY2 = '%1'")
                                .arg(QString(26, QLatin1Char('t')))));
        }
        CloseDb(db);
    }

    void aMissingStoreIsLeftAlone()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        CompactData(folder.storePath());
        QVERIFY(messages.shown().isEmpty());
        QVERIFY(!QFile::exists(folder.storePath()));
    }

    void aFailureAfterTheMovePutsTheStoreBack()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        upgradeRecordStore();
        fill(10);
        setCompactionFailureForTests(true);
        CompactData(folder.storePath());
        setCompactionFailureForTests(false);
        QCOMPARE(messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(messages.shown().first().text.contains(QStringLiteral("compact işlemi")));
        QCOMPARE(messages.exits(), 0);
        QCOMPARE(count(folder.storePath(), "ARACKAYIT"), 5);
        // The next compaction deletes the temporary file: the store must not be it.
        CompactData(folder.storePath());
        QCOMPARE(count(folder.storePath(), "ARACKAYIT"), 5);
    }

    void anInterruptedCompactionIsRestoredAtTheNextStart_data()
    {
        QTest::addColumn<QString>("damage");
        // As a power cut would leave it: the store moved aside, no copy yet.
        QTest::newRow("store missing") << QStringLiteral("remove");
        QTest::newRow("store of zero bytes") << QStringLiteral("empty");
        QTest::newRow("store without its tables") << QStringLiteral("drop");
    }
    void anInterruptedCompactionIsRestoredAtTheNextStart()
    {
        QFETCH(QString, damage);
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        upgradeRecordStore();
        fill(10);
        QVERIFY(QFile::copy(folder.storePath(), folder.storePath() + QLatin1Char('x')));
        spoil(folder.storePath(), damage);
        upgradeRecordStore();
        QCOMPARE(count(folder.storePath(), "ARACKAYIT"), 5);
        QCOMPARE(count(folder.storePath(), "ARACSAHIPLERI"), 10);
        QVERIFY(messages.shown().isEmpty());
    }

    void aStoreInUseIsNotCompacted_data()
    {
        QTest::addColumn<QString>("other");
        QTest::newRow("read transaction in this process") << QString();
        QTest::newRow("idle WAL reader in another program") << QStringLiteral("wal");
        QTest::newRow("idle connection in another program") << QStringLiteral("delete");
    }
    void aStoreInUseIsNotCompacted()
    {
        QFETCH(QString, other);
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        upgradeRecordStore();
        fill(10);
        const QString store = folder.storePath();
        sqlite3 *inProcess = nullptr;
        OtherProgram program;
        if (other.isEmpty()) {
            fill(1); // a reader here would hold the save back
            QCOMPARE(sqlite3_open(store.toUtf8().constData(), &inProcess), SQLITE_OK);
            QCOMPARE(sqlite3_exec(inProcess, "BEGIN; SELECT count(*) FROM ARACKAYIT;", nullptr,
                         nullptr, nullptr),
                SQLITE_OK);
        } else {
            QVERIFY(program.start(folder.path(), other));
            // The clerk saves while the other program looks on, then leaves.
            fill(1);
        }
        CompactData(store);
        QCOMPARE(messages.titles(), QStringList { QStringLiteral("DİKKAT !") });
        const QString text = messages.shown().first().text;
        QVERIFY(text.startsWith(QStringLiteral("Database başka bir bölümde kullanılıyor.\r\n"
                                               "Program Compact işlemini şu an için yapamıyor.\r\n"
                                               "\r\nData: ")));
        QVERIFY(text.endsWith(store));
        QVERIFY(!QFile::exists(store + QLatin1Char('x')));
        if (inProcess) {
            sqlite3_exec(inProcess, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(inProcess);
        }
        program.stop();
        QVERIFY(platform::integrityCheck(store).ok);
        QCOMPARE(count(store, "ARACKAYIT"), 6);
        // Once the other program has gone, the next exit compacts, keeping all.
        messages.reset();
        CompactData(store);
        QVERIFY(messages.shown().isEmpty());
        QVERIFY(QFile::exists(store + QLatin1Char('x')));
        QVERIFY(platform::integrityCheck(store).ok);
        QCOMPARE(count(store, "ARACKAYIT"), 6);
    }

    void whatAProgramThatDiedLeftIsSettledFirst_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("write");
        QTest::addColumn<QString>("beside");
        QTest::addColumn<int>("records");
        // The record lies only in the log: it must reach the compact copy.
        QTest::newRow("WAL log with a commit")
            << QStringLiteral("wal") << QStringLiteral("write") << QStringLiteral("-wal") << 6;
        // A hot journal: rolled back before the rename, not left beside the copy.
        QTest::newRow("journal of an unfinished write")
            << QStringLiteral("delete") << QStringLiteral("unfinished")
            << QStringLiteral("-journal") << 5;
    }
    void whatAProgramThatDiedLeftIsSettledFirst()
    {
        QFETCH(QString, mode);
        QFETCH(QString, write);
        QFETCH(QString, beside);
        QFETCH(int, records);
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        upgradeRecordStore();
        fill(10);
        const QString store = folder.storePath();
        {
            OtherProgram program;
            QVERIFY(program.start(folder.path(), mode, write));
            program.kill();
        }
        QVERIFY(QFileInfo(store + beside).size() > 0);
        CompactData(store);
        QVERIFY(messages.shown().isEmpty());
        QVERIFY(!QFile::exists(store + beside));
        QVERIFY(platform::integrityCheck(store).ok);
        QCOMPARE(count(store, "ARACKAYIT"), records);
        QCOMPARE(journalMode(store), mode); // as the other program chose
        CompactData(store);
        QCOMPARE(count(store, "ARACKAYIT"), records);
        QVERIFY(messages.shown().isEmpty());
    }

    void aBadStoreNeverCostsTheGoodCopy_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("told");
        QTest::newRow("zero bytes")
            << QStringLiteral("empty") << QStringLiteral("bir sonraki açılışta kayıtları");
        QTest::newRow("tables gone")
            << QStringLiteral("drop") << QStringLiteral("bir sonraki açılışta kayıtları");
        QTest::newRow("one damaged table page")
            << QStringLiteral("page") << QStringLiteral("İki dosyaya da dokunulmadı");
    }
    void aBadStoreNeverCostsTheGoodCopy()
    {
        QFETCH(QString, damage);
        QFETCH(QString, told);
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        upgradeRecordStore();
        fill(400);
        const QString store = folder.storePath();
        const QString temp = store + QLatin1Char('x');
        CompactData(store); // the last exit: every record also in the temporary file
        QCOMPARE(count(temp, "ARACKAYIT"), 200);
        spoil(store, damage);
        const QByteArray spoilt = contents(store);
        CompactData(store);
        QCOMPARE(messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        const QString text = messages.shown().first().text;
        QVERIFY(text.contains(QStringLiteral("compact işlemi")));
        QVERIFY2(text.contains(temp) && text.contains(told), qPrintable(text));
        QCOMPARE(messages.exits(), 0);
        QCOMPARE(count(temp, "ARACKAYIT"), 200);
        QCOMPARE(contents(store), spoilt);
        // A second exit changes nothing either.
        CompactData(store);
        QCOMPARE(count(temp, "ARACKAYIT"), 200);
        QCOMPARE(contents(store), spoilt);
    }
};

QTEST_MAIN(TestCompaction)
#include "tst_compaction.moc"
