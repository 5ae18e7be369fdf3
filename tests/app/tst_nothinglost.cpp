// Backups and restores whatever the clock, the paths and the other processes do.
#include "app/backups.h"
#include "app/compaction.h"
#include "app/datafiles.h"
#include "app/restorebackup.h"
#include "platform/clock.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace app;

using testing::contents;
using testing::rowCount;
using testing::sqlExec;

namespace {

// `rows` more records in the store, one owner each.
void fill(const QString &store, int rows)
{
    QVERIFY(sqlExec(store,
        QStringLiteral("INSERT INTO ARACKAYIT (MOTORNO, ESKIPLAKA) WITH RECURSIVE n(i) AS "
                       "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) SELECT 'M' || i, "
                       "'YOK' FROM n; INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO) "
                       "SELECT ID, 1, 'K' FROM ARACKAYIT WHERE ID NOT IN (SELECT ARACID FROM "
                       "ARACSAHIPLERI);")
            .arg(rows)
            .toUtf8()));
}

struct Store {
    testing::ScriptedMessages messages;
    testing::ProgramFolder folder;
    const QString path = folder.storePath();
    explicit Store(int rows)
    {
        upgradeRecordStore();
        fill(path, rows);
    }
    ~Store() { platform::setNowForTests(QDateTime()); }
    QString lastText() const
    {
        return messages.shown().isEmpty() ? QString() : messages.shown().last().text;
    }
};

const QDate kFirstDay(2026, 3, 1);

QString backupOf(const QDate &day)
{
    return backupFolder() + QLatin1Char('/') + backupFileName(day);
}

QStringList dailyNames(const QString &folder)
{
    return QDir(folder).entryList({ QStringLiteral("tescil-*.mdb") }, QDir::Files, QDir::Name);
}

void setWritten(const QString &path, const QDateTime &when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

class TestNothingLost : public QObject {
    Q_OBJECT
private slots:
    // After exits with the clock a year ahead, every later exit with the
    // right date keeps its copy, and the clerk hears the clock looks wrong.
    void aClockThatWasAheadCostsNoLaterCopy()
    {
        Store s(20);
        const QDateTime ahead = QDateTime::currentDateTime().addYears(1);
        for (int day = 0; day < 3; ++day) {
            backUpRecordStore(s.path, ahead.date().addDays(day));
            setWritten(backupOf(ahead.date().addDays(day)), ahead.addDays(day));
        }
        s.messages.reset();
        for (int day = 0; day < 16; ++day) {
            backUpRecordStore(s.path, kFirstDay.addDays(day));
            QVERIFY2(QFile::exists(backupOf(kFirstDay.addDays(day))), qPrintable(s.lastText()));
        }
        QStringList expected;
        for (int day = 2; day < 16; ++day)
            expected << backupFileName(kFirstDay.addDays(day));
        for (int day = 0; day < 3; ++day)
            expected << backupFileName(ahead.date().addDays(day));
        QCOMPARE(dailyNames(backupFolder()), expected);
        QCOMPARE(s.messages.shown().size(), 16);
        QVERIFY2(s.lastText().contains(QStringLiteral("saati yanlış olabilir"))
                && s.lastText().contains(backupFileName(ahead.date())),
            qPrintable(s.lastText()));
    }

    // The clock set back a year at the exit: nothing is deleted, the copy
    // just written stays even when only one is to be kept.
    void aClockSetBackDeletesNothing()
    {
        Store s(20);
        QVERIFY(testing::writeFile(backupSettingsFile(), "[Yedek]\r\nAdet=1\r\n"));
        const QDate today = QDate::currentDate();
        for (int day = -3; day <= 0; ++day)
            backUpRecordStore(s.path, today.addDays(day));
        QCOMPARE(dailyNames(backupFolder()), QStringList { backupFileName(today) });
        platform::setNowForTests(QDateTime::currentDateTime().addYears(-1));
        backUpRecordStore(s.path);
        QCOMPARE(dailyNames(backupFolder()),
            (QStringList { backupFileName(today.addYears(-1)), backupFileName(today) }));
        QVERIFY2(s.lastText().contains(backupFileName(today)), qPrintable(s.lastText()));
    }

    // A store that lost records does not take the day's fuller copy along.
    void theDaysFullerCopyIsKept()
    {
        Store s(20);
        backUpRecordStore(s.path, kFirstDay);
        QVERIFY(s.messages.shown().isEmpty());
        QVERIFY(sqlExec(s.path, "DELETE FROM ARACKAYIT WHERE ID > 5"));
        backUpRecordStore(s.path, kFirstDay);
        const QVector<BackupEntry> entries = listBackups(backupFolder());
        QCOMPARE(entries.size(), 2);
        QCOMPARE(rowCount(backupOf(kFirstDay), "ARACKAYIT"), 5);
        const auto fuller = std::find_if(
            entries.cbegin(), entries.cend(), [](const BackupEntry &e) { return e.keptFuller; });
        QVERIFY(fuller != entries.cend());
        QCOMPARE(fuller->records, 20LL);
        QVERIFY2(
            s.lastText().contains(QStringLiteral("ikisi de saklandı")), qPrintable(s.lastText()));
        QVERIFY(backupListText().contains(QStringLiteral("günün daha çok kayıtlı önceki yedeği")));
    }

    // The store gone beside its backups: the clerk hears which backup holds
    // the records before an empty store is made, and only when he says so.
    void aVanishedStoreIsToldBeforeAnEmptyOneIsMade()
    {
        Store s(20);
        backUpRecordStore(s.path, kFirstDay);
        QVERIFY(QFile::remove(s.path));
        s.messages.answerNext(platform::MsgAnswer::No);
        QSqlDatabase db;
        QVERIFY(!OpenData(db, RecordStoreData));
        QCOMPARE(s.messages.exits(), 1);
        QVERIFY(!QFile::exists(s.path));
        const platform::MessageRequest box = s.messages.shown().last();
        QCOMPARE(box.buttons, platform::MsgButtons::YesNo);
        QCOMPARE(box.defaultAnswer, platform::MsgAnswer::No);
        QVERIFY2(box.text.contains(backupFileName(kFirstDay)) && box.text.contains("20 kayıt")
                && box.text.contains(QStringLiteral("--restore")),
            qPrintable(box.text));
        s.messages.answerNext(platform::MsgAnswer::Yes);
        QVERIFY(OpenData(db, RecordStoreData));
        CloseDb(db);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 0);
        QCOMPARE(s.messages.exits(), 1);
    }

    // An exit killed in its compaction left the store under the compaction's
    // name: a restore brings it back first and keeps it.
    void aRestoreAfterACutCompactionKeepsTheNewestRecords()
    {
        Store s(20);
        backUpRecordStore(s.path, kFirstDay);
        fill(s.path, 5);
        QVERIFY(QFile::rename(s.path, compactionTempPath(s.path)));
        QVERIFY(testing::writeFile(s.path + QStringLiteral(".yeni"), "half a compact copy"));
        const RestoreOutcome r = restoreRecordStore(backupOf(kFirstDay));
        QVERIFY2(r.ok, qPrintable(r.text));
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 20);
        QCOMPARE(rowCount(r.keptStore, "ARACKAYIT"), 25);
        QVERIFY(!QFile::exists(compactionTempPath(s.path)));
    }

    // A second restore while one runs is refused with its reason and changes nothing.
    void oneRestoreAtATime()
    {
        Store s(20);
        backUpRecordStore(s.path, kFirstDay);
        fill(s.path, 5);
        const QByteArray before = contents(s.path);
        const int held = ::open(QFile::encodeName(s.path + QStringLiteral(".kilit")).constData(),
            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX | LOCK_NB) == 0);
        const RestoreOutcome r = restoreRecordStore(backupOf(kFirstDay));
        ::close(held);
        QVERIFY(!r.ok);
        QVERIFY2(r.text.contains(QStringLiteral("başka bir geri yükleme")), qPrintable(r.text));
        QCOMPARE(contents(s.path), before);
        const RestoreOutcome after = restoreRecordStore(backupOf(kFirstDay));
        QVERIFY(after.ok && after.records == 20);
    }

    // Two desks share the second folder: each keeps its own copies, lists
    // only its own, and the rotation touches nothing it did not write.
    void aSharedSecondFolderKeepsEachDesksCopies()
    {
        Store s(20);
        const QString second = s.folder.path() + QStringLiteral("/../ortak");
        QVERIFY(QDir().mkpath(second));
        QVERIFY(testing::writeFile(backupSettingsFile(),
            "[Yedek]\r\nAdet=1\r\nKlasor=" + QFile::encodeName(second) + "\r\n"));
        const QString other = second + QStringLiteral("/tescil-2026-03-01@baskamasa-ayse.mdb");
        QVERIFY(QFile::copy(s.path, other));
        const QStringList strangers { QStringLiteral("tescil-2026-02-01.mdb"),
            QStringLiteral("tescil-2026-02-02@") + backupDeskName() + QStringLiteral(".mdb") };
        for (const QString &name : strangers)
            QVERIFY(testing::writeFile(second + QLatin1Char('/') + name, "not a backup!!"));
        const QByteArray othersCopy = contents(other);
        for (int day = 0; day < 3; ++day)
            backUpRecordStore(s.path, kFirstDay.addDays(day));
        QVERIFY2(s.messages.shown().isEmpty(), qPrintable(s.lastText()));
        QCOMPARE(contents(other), othersCopy);
        for (const QString &name : strangers)
            QVERIFY(QFile::exists(second + QLatin1Char('/') + name));
        const QString own = backupFileName(kFirstDay.addDays(2), true);
        QVERIFY(own.contains(backupDeskName()));
        QCOMPARE(rowCount(second + QLatin1Char('/') + own, "ARACKAYIT"), 20);
        QVERIFY(
            !QFile::exists(second + QLatin1Char('/') + backupFileName(kFirstDay.addDays(1), true)));
        const QString listed = backupListText().section(QStringLiteral("İkinci klasör"), 1);
        QVERIFY2(listed.contains(own) && !listed.contains(QStringLiteral("baskamasa"))
                && !listed.contains(strangers[0]),
            qPrintable(listed));
    }

    // The store is a link to another volume: compaction and restore replace
    // the file it points to, and the link stays a link.
    void aLinkedStoreStaysALink()
    {
        Store s(20);
        backUpRecordStore(s.path, kFirstDay);
        fill(s.path, 5);
        const QString volume = s.folder.path() + QStringLiteral("/../cilt");
        QVERIFY(QDir().mkpath(volume));
        const QString target = volume + QStringLiteral("/tescil.mdb");
        QVERIFY(QFile::rename(s.path, target));
        QVERIFY(QFile::link(target, s.path));
        CompactData(s.path);
        QVERIFY2(s.messages.shown().isEmpty(), qPrintable(s.lastText()));
        QVERIFY(QFileInfo(s.path).isSymLink());
        QCOMPARE(rowCount(target, "ARACKAYIT"), 25);
        const RestoreOutcome r = restoreRecordStore(backupOf(kFirstDay));
        QVERIFY2(r.ok, qPrintable(r.text));
        QVERIFY(QFileInfo(s.path).isSymLink());
        QCOMPARE(rowCount(target, "ARACKAYIT"), 20);
        QCOMPARE(rowCount(r.keptStore, "ARACKAYIT"), 25);
    }

    // The files a restore uses itself, and what is no file, are refused by name.
    void aRestoreNamesWhatItWasGiven()
    {
        Store s(20);
        backUpRecordStore(s.path, kFirstDay);
        const QString own = s.path + QStringLiteral(".geri");
        QVERIFY(QFile::copy(backupOf(kFirstDay), own));
        const QString pipe = s.folder.path() + QStringLiteral("/boru");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        const QByteArray before = contents(s.path);
        const std::pair<QString, const char *> cases[] = { { own, "geçici dosyası" },
            { pipe, "sıradan bir dosya değil" }, { s.folder.path(), "bir klasör" },
            { QStringLiteral("/dev/null"), "sıradan bir dosya değil" } };
        for (const auto &[file, told] : cases) {
            const RestoreOutcome r = restoreRecordStore(file);
            QVERIFY2(!r.ok && r.text.contains(QString::fromUtf8(told)), qPrintable(r.text));
        }
        QVERIFY(QFile::exists(own));
        QCOMPARE(contents(s.path), before);
    }

    // The chosen backup is only read: its folder is as it was afterwards,
    // for a file another program marked WAL too.
    void aChosenBackupIsOnlyRead()
    {
        Store s(20);
        const QString away = s.folder.path() + QStringLiteral("/../elde");
        QVERIFY(QDir().mkpath(away));
        const QString chosen = away + QStringLiteral("/tescil-eski.mdb");
        QVERIFY(QFile::copy(s.path, chosen));
        QVERIFY(sqlExec(chosen, "PRAGMA journal_mode = WAL"));
        fill(chosen, 5);
        const auto listing = [&] {
            QStringList seen;
            for (const QFileInfo &f : QDir(away).entryInfoList(QDir::Files | QDir::Hidden))
                seen << f.fileName() + QString::number(f.size())
                        + f.lastModified().toString(Qt::ISODateWithMs);
            return seen;
        };
        const QStringList before = listing();
        const RestoreOutcome r = restoreRecordStore(chosen);
        QVERIFY2(r.ok, qPrintable(r.text));
        QCOMPARE(listing(), before);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 25);
    }

    // A store another program gave a trigger that swallows new records is
    // neither upgraded at the start nor moved to the server: the reason is
    // told and the store stays as it was.
    void aForeignSchemaIsNeitherUpgradedNorMoved()
    {
        Store s(3);
        QVERIFY(sqlExec(s.path,
            "ALTER TABLE ARACKAYIT DROP COLUMN DEGISIKLIKMASA; CREATE TRIGGER yut BEFORE INSERT "
            "ON ARACKAYIT BEGIN SELECT RAISE(IGNORE); END;"));
        const QByteArray before = contents(s.path);
        QVERIFY(!upgradeRecordStore());
        QVERIFY2(s.lastText().contains(QStringLiteral("tetikleyici")), qPrintable(s.lastText()));
        QCOMPARE(contents(s.path), before);
        const testing::ProgramRun run = testing::runProgram(s.folder,
            { QStringLiteral("--move-store"), QStringLiteral("shared"),
                QStringLiteral("--shared-store"),
                QStringLiteral("host=/nonexistent/evrakmatik dbname=evrakmatik user=masa") });
        QCOMPARE(run.code, 1);
        QVERIFY2(run.errors.contains(QStringLiteral("taşınmadı"))
                && run.errors.contains(QStringLiteral("tetikleyici")),
            qPrintable(run.errors));
        QCOMPARE(contents(s.path), before);
    }

    // A run from the command line prints what a box would say and ends.
    void theCommandLineNeverWaitsOnABox()
    {
        testing::ProgramFolder folder;
        QVERIFY(QDir().mkpath(folder.path() + QStringLiteral("/Yedek.ini")));
        const testing::ProgramRun run =
            testing::runProgram(folder, { QStringLiteral("--list-backups") });
        QCOMPARE(run.code, 1);
        QVERIFY2(run.errors.contains(QStringLiteral("klasör")), qPrintable(run.errors));
    }
};

QTEST_MAIN(TestNothingLost)
#include "tst_nothinglost.moc"
