#include "app/compaction.h"
#include "app/datafiles.h"
#include "platform/sqliteengine.h"
#include "support/testsupport.h"

#include <QFile>
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
        QVERIFY(messages.shown().isEmpty());
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

    void anInterruptedCompactionIsRestoredAtTheNextStart()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        upgradeRecordStore();
        fill(10);
        // As a power cut would leave it: the store moved aside, no copy yet.
        QVERIFY(QFile::rename(folder.storePath(), folder.storePath() + QLatin1Char('x')));
        upgradeRecordStore();
        QCOMPARE(count(folder.storePath(), "ARACKAYIT"), 5);
        QVERIFY(messages.shown().isEmpty());
    }

    void aStoreInUseIsNotCompacted()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        upgradeRecordStore();
        fill(10);
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(folder.storePath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(
                     other, "BEGIN; SELECT count(*) FROM ARACKAYIT;", nullptr, nullptr, nullptr),
            SQLITE_OK);
        CompactData(folder.storePath());
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(messages.titles(), QStringList { QStringLiteral("DİKKAT !") });
        const QString text = messages.shown().first().text;
        QVERIFY(text.startsWith(QStringLiteral("Database başka bir bölümde kullanılıyor.\r\n"
                                               "Program Compact işlemini şu an için yapamıyor.\r\n"
                                               "\r\nData: ")));
        QVERIFY(text.endsWith(folder.storePath()));
        QVERIFY(QFile::exists(folder.storePath()));
        QVERIFY(!QFile::exists(folder.storePath() + QLatin1Char('x')));
    }
};

QTEST_MAIN(TestCompaction)
#include "tst_compaction.moc"
