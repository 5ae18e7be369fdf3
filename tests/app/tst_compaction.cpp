#include "app/compaction.h"
#include "app/datafiles.h"
#include "platform/sqliteengine.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTest>

#include <memory>
#include <sqlite3.h>

using namespace app;

using testing::contents;
using testing::rowCount;
using testing::sqlExec;

namespace {

// `rows` records with one owner each, every second record deleted again: a
// store with room to gain.
void fill(const QString &store, int rows)
{
    QVERIFY(sqlExec(store,
        QStringLiteral(
            "BEGIN; INSERT INTO ARACKAYIT (MOTORNO, ESKIPLAKA, HAKLAR) WITH RECURSIVE n(i) AS "
            "(SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) SELECT 'M' || i, 'YOK', "
            "printf('%.140c', 'h') FROM n; INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO) "
            "SELECT ID, 1, 'K' FROM ARACKAYIT WHERE ID NOT IN (SELECT ARACID FROM ARACSAHIPLERI); "
            "DELETE FROM ARACKAYIT WHERE ID % 2 = 0; COMMIT;")
            .arg(rows - 1)
            .toUtf8()));
}

// remove: no store; empty: zero bytes; drop: a database without the tables;
// page: garbage over part of the vehicle table.
void spoil(const QString &store, const QString &how)
{
    if (how == QLatin1String("remove"))
        QFile::remove(store);
    else if (how == QLatin1String("empty"))
        QFile::resize(store, 0);
    else if (how == QLatin1String("drop"))
        sqlExec(store, "DROP TABLE ARACSAHIPLERI; DROP TABLE ARACKAYIT;");
    if (how != QLatin1String("page"))
        return;
    QString page, size;
    sqlExec(store, "SELECT rootpage FROM sqlite_master WHERE name = 'ARACKAYIT'", &page);
    sqlExec(store, "PRAGMA page_size", &size);
    QFile f(store);
    f.open(QIODevice::ReadWrite);
    f.seek((page.toLongLong() - 1) * size.toLongLong() + 8);
    f.write(QByteArray(size.toInt() / 2, '\xA5'));
}

// A store of `rows` records (half of them deleted) in a fresh program folder.
struct Store {
    testing::ScriptedMessages messages;
    testing::ProgramFolder folder;
    const QString path = folder.storePath();
    const QString temp = path + QLatin1Char('x');
    explicit Store(int rows)
    {
        upgradeRecordStore();
        fill(path, rows);
    }
};

} // namespace

class TestCompaction : public QObject {
    Q_OBJECT
private slots:
    void compactionKeepsEveryRowAndLeavesTheOldFile()
    {
        Store s(400);
        const qint64 before = QFileInfo(s.path).size();
        QVERIFY(testing::writeFile(s.temp, "an earlier run's temporary file"));
        CompactData(s.path);
        QVERIFY2(s.messages.shown().isEmpty(), qPrintable(s.messages.shown().value(0).text));
        QVERIFY(QFileInfo(s.path).size() < before);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 200);
        QCOMPARE(rowCount(s.path, "ARACSAHIPLERI"), 400);
        QCOMPARE(rowCount(s.temp, "ARACKAYIT"), 200);
        QVERIFY(platform::integrityCheck(s.path).ok);
        // The constraints came along: a text over its width is still refused.
        QVERIFY(!sqlExec(s.path, "UPDATE ARACKAYIT SET TIPONAY2 = printf('%.26c', 't')"));
        // With no store there is nothing to compact, nor to make.
        QFile::remove(s.path);
        QFile::remove(s.temp);
        CompactData(s.path);
        QVERIFY(s.messages.shown().isEmpty());
        QVERIFY(!QFile::exists(s.path));
    }

    void aFailureAfterTheMovePutsTheStoreBack()
    {
        Store s(10);
        setCompactionFailureForTests(true);
        CompactData(s.path);
        setCompactionFailureForTests(false);
        QCOMPARE(s.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(s.messages.shown().first().text.contains(QStringLiteral("compact işlemi")));
        QCOMPARE(s.messages.exits(), 0);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 5);
        // The next compaction deletes the temporary file: the store must not be it.
        CompactData(s.path);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 5);
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
        Store s(10);
        QVERIFY(QFile::copy(s.path, s.temp));
        spoil(s.path, damage);
        upgradeRecordStore();
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 5);
        QCOMPARE(rowCount(s.path, "ARACSAHIPLERI"), 10);
        QVERIFY(s.messages.shown().isEmpty());
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
        Store s(10);
        sqlite3 *inProcess = nullptr;
        std::unique_ptr<testing::CrashChild> program;
        if (other.isEmpty()) {
            fill(s.path, 1); // a reader here would hold the save back
            QCOMPARE(sqlite3_open(s.path.toUtf8().constData(), &inProcess), SQLITE_OK);
            QCOMPARE(sqlite3_exec(inProcess, "BEGIN; SELECT count(*) FROM ARACKAYIT;", nullptr,
                         nullptr, nullptr),
                SQLITE_OK);
        } else {
            program = std::make_unique<testing::CrashChild>(
                QStringList { QStringLiteral("hold"), s.folder.path(), other });
            QVERIFY2(program->waitForLines(1), qPrintable(program->errors()));
            // The clerk saves while the other program looks on, then leaves.
            fill(s.path, 1);
        }
        CompactData(s.path);
        QCOMPARE(s.messages.titles(), QStringList { QStringLiteral("DİKKAT !") });
        const QString text = s.messages.shown().first().text;
        QVERIFY(text.startsWith(QStringLiteral("Database başka bir bölümde kullanılıyor.\r\n"
                                               "Program Compact işlemini şu an için yapamıyor.\r\n"
                                               "\r\nData: ")));
        QVERIFY(text.endsWith(s.path));
        QVERIFY(!QFile::exists(s.temp));
        if (inProcess)
            sqlite3_exec(inProcess, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(inProcess);
        program.reset();
        QVERIFY(platform::integrityCheck(s.path).ok);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 6);
        // Once the other program has gone, the next exit compacts, keeping all.
        s.messages.reset();
        CompactData(s.path);
        QVERIFY(s.messages.shown().isEmpty());
        QVERIFY(QFile::exists(s.temp));
        QVERIFY(platform::integrityCheck(s.path).ok);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 6);
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
        Store s(10);
        testing::CrashChild program({ QStringLiteral("hold"), s.folder.path(), mode, write });
        QVERIFY2(program.waitForLines(1), qPrintable(program.errors()));
        program.kill();
        QVERIFY(QFileInfo(s.path + beside).size() > 0);
        CompactData(s.path);
        QVERIFY(s.messages.shown().isEmpty());
        QVERIFY(!QFile::exists(s.path + beside));
        QVERIFY(platform::integrityCheck(s.path).ok);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), records);
        QString journal;
        QVERIFY(sqlExec(s.path, "PRAGMA journal_mode", &journal));
        QCOMPARE(journal, mode); // as the other program chose
        CompactData(s.path);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), records);
        QVERIFY(s.messages.shown().isEmpty());
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
        Store s(400);
        CompactData(s.path); // the last exit: every record also in the temporary file
        QCOMPARE(rowCount(s.temp, "ARACKAYIT"), 200);
        spoil(s.path, damage);
        const QByteArray spoilt = contents(s.path);
        for (int exit = 0; exit < 2; ++exit) { // a second exit changes nothing either
            CompactData(s.path);
            QCOMPARE(rowCount(s.temp, "ARACKAYIT"), 200);
            QCOMPARE(contents(s.path), spoilt);
        }
        QCOMPARE(s.messages.titles().first(), QStringLiteral("GENEL HATA"));
        const QString text = s.messages.shown().first().text;
        QVERIFY(text.contains(QStringLiteral("compact işlemi")));
        QVERIFY2(text.contains(s.temp) && text.contains(told), qPrintable(text));
        QCOMPARE(s.messages.exits(), 0);
    }
};

QTEST_MAIN(TestCompaction)
#include "tst_compaction.moc"
