// Kills a process that saves or compacts at random moments, then checks that
// the store is sound and every record whole. EVRAKMATIK_CRASH_ROUNDS sets how
// many kills (more by hand, a couple of hundred here).
#include "app/backups.h"
#include "app/datafiles.h"
#include "platform/sqliteengine.h"
#include "support/testsupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>

#include <map>

namespace {

int rounds(int fallback)
{
    const int n = qEnvironmentVariableIntValue("EVRAKMATIK_CRASH_ROUNDS");
    return n > 0 ? n : fallback;
}

struct Seen {
    QString vehicle;
    QStringList owners;
};

// Every record's vehicle stamp and the stamps of its owner rows.
std::map<QString, Seen> readStore()
{
    std::map<QString, Seen> seen;
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData))
        return seen;
    {
        QSqlQuery q(db);
        q.exec(QStringLiteral(
            "SELECT K.MOTORNO, K.SASENO, K.HAKLAR, S.AD, S.SOYAD FROM ARACKAYIT K "
            "LEFT JOIN ARACSAHIPLERI S ON S.ARACID = K.ID ORDER BY K.ID, S.SAHIPNO"));
        while (q.next()) {
            Seen &s = seen[q.value(0).toString()];
            s.vehicle = q.value(1).toString();
            if (!q.value(3).isNull())
                s.owners << q.value(3).toString() << q.value(4).toString();
        }
    }
    app::CloseDb(db);
    return seen;
}

long long stampOf(const QString &s)
{
    return s.mid(1).toLongLong();
}

} // namespace

class TestCrashConsistency : public QObject {
    Q_OBJECT
private slots:
    void killedSavesLeaveWholeRecords()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        app::upgradeRecordStore();
        QRandomGenerator random(4711);
        long long next = 0;
        std::map<QString, long long> acknowledged;
        const int total = rounds(150);
        int committedInAll = 0;
        for (int round = 0; round < total; ++round) {
            testing::CrashChild child(
                { QStringLiteral("save"), folder.path(), QString::number(next) });
            // Once it has saved, kill it at a random moment of its next saves,
            // however slow the machine is to start it.
            QVERIFY2(child.waitForLines(1), qPrintable(child.errors()));
            QTest::qWait(int(random.bounded(0, 30)));
            QVERIFY2(child.running(), qPrintable(child.errors()));
            const QStringList lines = child.kill();
            for (const QString &line : lines) {
                const QStringList p = line.split(QLatin1Char(' '));
                if (p.size() == 3) {
                    acknowledged[QStringLiteral("MOTOR-%1").arg(p[1])] = p[2].toLongLong();
                    next = std::max(next, p[2].toLongLong() + 1);
                    ++committedInAll;
                }
            }
            next += 1000; // versions never repeat, even for a save cut short
            const platform::EngineResult check = platform::integrityCheck(folder.storePath());
            QVERIFY2(check.ok, qPrintable(check.message));
            for (const auto &[motor, s] : readStore()) {
                // Vehicle row and its three owners: all of one save.
                QCOMPARE(s.owners.size(), 6);
                for (const QString &o : s.owners)
                    QCOMPARE(o, s.vehicle);
                // A save reported as done is never lost.
                if (acknowledged.count(motor))
                    QVERIFY(stampOf(s.vehicle) >= acknowledged[motor]);
            }
        }
        QVERIFY2(committedInAll > total, "the child saved too little to prove anything");
        QVERIFY(messages.shown().isEmpty());
    }

    void killedCompactionsLoseNothing()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        app::upgradeRecordStore();
        {
            // A store worth compacting: every record saved twice, however slow the machine.
            testing::CrashChild child(
                { QStringLiteral("save"), folder.path(), QStringLiteral("0") });
            QVERIFY(child.waitForLines(40));
            child.kill();
        }
        const auto before = readStore();
        QVERIFY(before.size() == 20);
        QRandomGenerator random(1234);
        const int total = rounds(150) / 2;
        for (int round = 0; round < total; ++round) {
            testing::CrashChild child({ QStringLiteral("compact"), folder.path() });
            // Once it has compacted, kill it at a random moment of the next ones.
            QVERIFY2(child.waitForLines(1), qPrintable(child.errors()));
            QTest::qWait(int(random.bounded(0, 40)));
            QVERIFY2(child.running(), qPrintable(child.errors()));
            child.kill();
            // The next start: the store is opened, and found whole.
            const auto after = readStore();
            QCOMPARE(after.size(), before.size());
            for (const auto &[motor, s] : before) {
                QCOMPARE(after.at(motor).vehicle, s.vehicle);
                QCOMPARE(after.at(motor).owners, s.owners);
            }
            QVERIFY(platform::integrityCheck(folder.storePath()).ok);
        }
        QVERIFY(messages.shown().isEmpty());
    }

    void killedBackupsNeverLeaveAHalfCopy()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        app::upgradeRecordStore();
        {
            testing::CrashChild child(
                { QStringLiteral("save"), folder.path(), QStringLiteral("0") });
            QVERIFY(child.waitForLines(40));
            child.kill();
        }
        const QString second = folder.path() + QStringLiteral("/../usb");
        QVERIFY(QDir().mkpath(second));
        QVERIFY(testing::writeFile(
            app::backupSettingsFile(), "[Yedek]\r\nKlasor=" + QFile::encodeName(second) + "\r\n"));
        const auto before = readStore();
        QCOMPARE(int(before.size()), 20);
        QRandomGenerator random(99);
        const int total = rounds(150) / 2;
        int copies = 0;
        for (int round = 0; round < total; ++round) {
            testing::CrashChild child({ QStringLiteral("backup"), folder.path() });
            QVERIFY2(child.waitForLines(1), qPrintable(child.errors()));
            QTest::qWait(int(random.bounded(0, 40)));
            QVERIFY2(child.running(), qPrintable(child.errors()));
            copies += int(child.kill().size());
            // Whatever bears a backup's name is a whole one, in both folders.
            for (const QString &where : { app::backupFolder(), second }) {
                const auto kept = app::listBackups(where);
                QVERIFY(!kept.isEmpty() && kept.size() <= 14);
                for (const app::BackupEntry &e : kept) {
                    QString why;
                    QVERIFY2(app::isUsableRecordStore(e.path, &why), qPrintable(e.path + why));
                    QCOMPARE(e.records, 20LL);
                }
            }
            QVERIFY(platform::integrityCheck(folder.storePath()).ok);
            const auto after = readStore();
            QCOMPARE(after.size(), before.size());
            for (const auto &[motor, s] : before)
                QCOMPARE(after.at(motor).vehicle, s.vehicle);
        }
        QVERIFY2(copies > total, "the child made too few copies to prove anything");
        // The next exit clears what a killed one began.
        app::backUpRecordStore(folder.storePath(), QDate(2026, 3, 1));
        for (const QString &where : { app::backupFolder(), second })
            QVERIFY(QDir(where).entryList({ QStringLiteral("*.yarim") }, QDir::Files).isEmpty());
        QVERIFY(messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestCrashConsistency)
#include "tst_crashconsistency.moc"
