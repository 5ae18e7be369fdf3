// Kills a process that saves, compacts or backs up at random moments, then
// checks that the store is sound and every record whole. EVRAKMATIK_CRASH_ROUNDS
// sets how many kills (more by hand, a couple of hundred here).
#include "app/backups.h"
#include "app/datafiles.h"
#include "platform/sqliteengine.h"
#include "support/testsupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>

#include <functional>
#include <map>

namespace {

int rounds()
{
    const int n = qEnvironmentVariableIntValue("EVRAKMATIK_CRASH_ROUNDS");
    return n > 0 ? n : 150;
}

struct Seen {
    QString vehicle;
    QStringList owners;
    bool operator==(const Seen &o) const { return vehicle == o.vehicle && owners == o.owners; }
};
using Records = std::map<QString, Seen>;

// Every record's vehicle stamp and the stamps of its owner rows.
Records readStore()
{
    Records seen;
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

// A fresh program folder whose store the crash child fills.
struct Harness {
    testing::ScriptedMessages messages;
    testing::ProgramFolder folder;
    Harness() { app::upgradeRecordStore(); }

    // Twenty records, every one saved twice, however slow the machine.
    Records twentyRecords()
    {
        testing::CrashChild child({ QStringLiteral("save"), folder.path(), QStringLiteral("0") });
        if (!child.waitForLines(40))
            return {};
        child.kill();
        return readStore();
    }

    // Starts the child `total` times, kills it at a random moment after its
    // first report, and hands check() the lines it reported.
    void killRepeatedly(const QStringList &args, int total, int maxWait, quint32 seed,
        const std::function<void(const QStringList &)> &check)
    {
        QRandomGenerator random(seed);
        for (int round = 0; round < total && !QTest::currentTestFailed(); ++round) {
            testing::CrashChild child(args);
            // However slow the machine is to start it.
            QVERIFY2(child.waitForLines(1), qPrintable(child.errors()));
            QTest::qWait(int(random.bounded(0, maxWait)));
            QVERIFY2(child.running(), qPrintable(child.errors()));
            check(child.kill());
            const platform::EngineResult sound = platform::integrityCheck(folder.storePath());
            QVERIFY2(sound.ok, qPrintable(sound.message));
        }
    }
};

} // namespace

class TestCrashConsistency : public QObject {
    Q_OBJECT
private slots:
    void killedSavesLeaveWholeRecords()
    {
        Harness h;
        long long next = 0;
        std::map<QString, long long> acknowledged;
        int committed = 0;
        QStringList args { QStringLiteral("save"), h.folder.path(), QStringLiteral("0") };
        h.killRepeatedly(args, rounds(), 30, 4711, [&](const QStringList &lines) {
            for (const QString &line : lines) {
                const QStringList p = line.split(QLatin1Char(' '));
                if (p.size() != 3)
                    continue; // a report cut short by the kill
                acknowledged[QStringLiteral("MOTOR-%1").arg(p[1])] = p[2].toLongLong();
                next = std::max(next, p[2].toLongLong() + 1);
                ++committed;
            }
            next += 1000; // versions never repeat, even for a save cut short
            args[2] = QString::number(next);
            for (const auto &[motor, s] : readStore()) {
                // Vehicle row and its three owners: all of one save.
                QCOMPARE(s.owners.size(), 6);
                for (const QString &o : s.owners)
                    QCOMPARE(o, s.vehicle);
                // A save reported as done is never lost.
                if (acknowledged.count(motor))
                    QVERIFY(s.vehicle.mid(1).toLongLong() >= acknowledged[motor]);
            }
        });
        QVERIFY2(committed > rounds(), "the child saved too little to prove anything");
        QVERIFY(h.messages.shown().isEmpty());
    }

    void killedCompactionsLoseNothing()
    {
        Harness h;
        const Records before = h.twentyRecords();
        QCOMPARE(int(before.size()), 20);
        // The next start: the store is opened, and found whole.
        h.killRepeatedly({ QStringLiteral("compact"), h.folder.path() }, rounds() / 2, 40, 1234,
            [&](const QStringList &) { QVERIFY(readStore() == before); });
        QVERIFY(h.messages.shown().isEmpty());
    }

    void killedBackupsNeverLeaveAHalfCopy()
    {
        Harness h;
        const Records before = h.twentyRecords();
        QCOMPARE(int(before.size()), 20);
        const QString second = h.folder.path() + QStringLiteral("/../usb");
        QVERIFY(QDir().mkpath(second));
        QVERIFY(testing::writeFile(
            app::backupSettingsFile(), "[Yedek]\r\nKlasor=" + QFile::encodeName(second) + "\r\n"));
        int copies = 0;
        h.killRepeatedly({ QStringLiteral("backup"), h.folder.path() }, rounds() / 2, 40, 99,
            [&](const QStringList &lines) {
                copies += int(lines.size());
                // Whatever bears a backup's name is a whole one, in both folders.
                for (const QString &where : { app::backupFolder(), second }) {
                    const auto kept = app::listBackups(where, where == second);
                    QVERIFY2(!kept.isEmpty() && kept.size() <= 14, qPrintable(where));
                    for (const app::BackupEntry &e : kept) {
                        QString why;
                        QVERIFY2(app::isUsableRecordStore(e.path, &why), qPrintable(e.path + why));
                        QCOMPARE(e.records, 20LL);
                    }
                }
                QVERIFY(readStore() == before);
            });
        QVERIFY2(copies > rounds() / 2, "the child made too few copies to prove anything");
        // The next exit clears what a killed one began.
        app::backUpRecordStore(h.folder.storePath(), QDate(2030, 1, 1));
        for (const QString &where : { app::backupFolder(), second })
            QVERIFY(QDir(where).entryList({ QStringLiteral("*.yarim") }, QDir::Files).isEmpty());
        QVERIFY(h.messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestCrashConsistency)
#include "tst_crashconsistency.moc"
