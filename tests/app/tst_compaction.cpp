#include "app/backups.h"
#include "app/compaction.h"
#include "app/datafiles.h"
#include "app/mainwindow.h"
#include "app/restorebackup.h"
#include "platform/sqlitecopy.h"
#include "platform/sqliteengine.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <memory>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

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
    QString firstText() const { return messages.shown().value(0).text; }
};

const QDate kFirstDay(2026, 3, 1);

QString backupOf(const QDate &day)
{
    return backupFolder() + QLatin1Char('/') + backupFileName(day);
}

QStringList names(const QVector<BackupEntry> &entries)
{
    QStringList n;
    for (const BackupEntry &e : entries)
        n << QFileInfo(e.path).fileName();
    n.sort();
    return n;
}

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
        QVERIFY2(s.messages.shown().isEmpty(), qPrintable(s.firstText()));
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
        QVERIFY(s.firstText().contains(QStringLiteral("compact işlemi")));
        QCOMPARE(s.messages.exits(), 0);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 5);
        // The next compaction deletes the temporary file: the store must not be it.
        CompactData(s.path);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 5);
    }

    // A power cut in a compaction leaves the store moved aside; a bad store
    // beside the good copy of the last exit is never compacted over it.
    void aSpoiltStoreNeverCostsTheGoodCopy_data()
    {
        testing::addRows(QStringLiteral("spoiltstores"));
    }
    void aSpoiltStoreNeverCostsTheGoodCopy()
    {
        QFETCH(QString, damage);
        QFETCH(QString, told);
        QFETCH(QString, start);
        Store s(400);
        CompactData(s.path); // the last exit: every record also in the temporary file
        spoil(s.path, damage);
        if (!told.isEmpty()) {
            const QByteArray spoilt = contents(s.path);
            for (int exit = 0; exit < 2; ++exit) { // a second exit changes nothing either
                CompactData(s.path);
                QCOMPARE(rowCount(s.temp, "ARACKAYIT"), 200);
                QCOMPARE(contents(s.path), spoilt);
            }
            QCOMPARE(s.messages.titles().first(), QStringLiteral("GENEL HATA"));
            QVERIFY2(s.firstText().contains(QStringLiteral("compact işlemi"))
                    && s.firstText().contains(s.temp) && s.firstText().contains(told),
                qPrintable(s.firstText()));
            QCOMPARE(s.messages.exits(), 0);
            s.messages.reset();
        }
        if (start != QLatin1String("back"))
            return;
        upgradeRecordStore();
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 200);
        QCOMPARE(rowCount(s.path, "ARACSAHIPLERI"), 400);
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
            fill(s.path, 1); // the clerk saves while the other program looks on, then leaves
        }
        CompactData(s.path);
        QCOMPARE(s.messages.titles(), QStringList { QStringLiteral("Dikkat") });
        QCOMPARE(s.firstText(),
            QStringLiteral("Database başka bir bölümde kullanılıyor.\r\nProgram Compact işlemini "
                           "şu an için yapamıyor.\r\n\r\nData: ")
                + s.path);
        QVERIFY(!QFile::exists(s.temp));
        if (inProcess)
            sqlite3_exec(inProcess, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(inProcess);
        program.reset();
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 6); // the save meanwhile is there
        // Once the other program has gone, the next exit compacts, keeping all.
        s.messages.reset();
        CompactData(s.path);
        QVERIFY(s.messages.shown().isEmpty());
        QVERIFY(QFile::exists(s.temp));
        QVERIFY(platform::integrityCheck(s.path).ok);
        QCOMPARE(rowCount(s.path, "ARACKAYIT"), 6);
    }

    // A WAL log holding a commit must reach the compact copy; a hot journal
    // is rolled back before the rename, not left beside the copy.
    void whatAProgramThatDiedLeftIsSettledFirst_data()
    {
        testing::addRows(QStringLiteral("deadprograms"));
    }
    void whatAProgramThatDiedLeftIsSettledFirst()
    {
        QFETCH(QString, mode);
        QFETCH(QString, write);
        QFETCH(QString, beside);
        QFETCH(QString, records);
        Store s(10);
        testing::CrashChild program({ QStringLiteral("hold"), s.folder.path(), mode, write });
        QVERIFY2(program.waitForLines(1), qPrintable(program.errors()));
        program.kill();
        QVERIFY(QFileInfo(s.path + beside).size() > 0);
        for (int exit = 0; exit < 2; ++exit) {
            CompactData(s.path);
            QVERIFY(s.messages.shown().isEmpty());
            QVERIFY(!QFile::exists(s.path + beside));
            QVERIFY(platform::integrityCheck(s.path).ok);
            QCOMPARE(rowCount(s.path, "ARACKAYIT"), records.toInt());
        }
        QString journal;
        QVERIFY(sqlExec(s.path, "PRAGMA journal_mode", &journal));
        QCOMPARE(journal, mode); // as the other program chose
    }

    void theNewestFourteenDaysAreKeptOneCopyADay();
    void aSecondFolderThatFailsWarnsOnceAndTheExitEnds_data()
    {
        testing::addRows(QStringLiteral("secondfolders"));
    }
    void aSecondFolderThatFailsWarnsOnceAndTheExitEnds();
    void aRestoreBringsEveryRecordBackOrChangesNothing_data()
    {
        testing::addRows(QStringLiteral("restorecandidates"));
    }
    void aRestoreBringsEveryRecordBackOrChangesNothing();
    void theCommandLineRestoresAndLists();
    void theAboutWindowRestoresOnlyWhenTheClerkSaysSo();
};

void TestCompaction::theNewestFourteenDaysAreKeptOneCopyADay()
{
    Store s(40);
    QVERIFY(QDir().mkpath(backupFolder()));
    const QString leftover = backupOf(kFirstDay.addDays(30)) + QStringLiteral(".yarim");
    for (const char *end : { "", "-wal", "-shm" })
        QVERIFY(testing::writeFile(leftover + end, "a copy a killed exit began"));
    for (int day = 0; day < 20; ++day)
        backUpRecordStore(s.path, kFirstDay.addDays(day));
    fill(s.path, 10); // the day's last exit wins
    backUpRecordStore(s.path, kFirstDay.addDays(19));
    QVERIFY2(s.messages.shown().isEmpty(), qPrintable(s.firstText()));

    const QVector<BackupEntry> kept = listBackups(backupFolder());
    QStringList expected;
    for (int day = 6; day <= 19; ++day)
        expected << backupFileName(kFirstDay.addDays(day));
    QCOMPARE(names(kept), expected);
    for (const char *end : { "", "-wal", "-shm" })
        QVERIFY(!QFile::exists(leftover + end));
    for (const BackupEntry &e : kept) {
        QString why;
        QVERIFY2(isUsableRecordStore(e.path, &why), qPrintable(why));
        QCOMPARE(e.records, e.path == backupOf(kFirstDay.addDays(19)) ? 25LL : 20LL);
        QCOMPARE(QFileInfo(e.path).permissions() & 0x0077, QFileDevice::Permissions());
    }
    QCOMPARE(QFileInfo(backupFolder()).permissions() & 0x0077, QFileDevice::Permissions());
    // A store another program set to WAL still gives a copy of one file, and
    // listing the copies leaves nothing beside them.
    QVERIFY(sqlExec(s.path, "PRAGMA journal_mode = WAL"));
    backUpRecordStore(s.path, kFirstDay.addDays(19));
    QCOMPARE(listBackups(backupFolder()).size(), 14);
    QCOMPARE(QDir(backupFolder()).entryList(QDir::Files).filter(QRegularExpression("-(wal|shm)$")),
        QStringList());
    // A settings file can keep fewer; the copies a restore kept never go.
    QVERIFY(testing::writeFile(backupSettingsFile(), "[Yedek]\r\nAdet=3\r\n"));
    QVERIFY(QFile::copy(s.path,
        backupFolder() + QLatin1Char('/') + keptStoreFileName(QDateTime(kFirstDay, QTime(9, 30)))));
    backUpRecordStore(s.path, kFirstDay.addDays(20));
    QCOMPARE(listBackups(backupFolder()).size(), 4);
    QVERIFY(backupListText().contains(QStringLiteral("(geri yüklemeden önceki depo)")));
    QVERIFY(backupListText().contains(
        QStringLiteral("25 kayıt  ") + backupFileName(kFirstDay.addDays(20))));
}

void TestCompaction::aSecondFolderThatFailsWarnsOnceAndTheExitEnds()
{
    QFETCH(QString, second);
    QFETCH(QString, told);
    const bool copied = told.isEmpty();
    const bool root = ::geteuid() == 0;
    if (second == QLatin1String("readonly") && root)
        QSKIP("root writes into a read-only folder");
    if (second == QLatin1String("full") && !root)
        QSKIP("a full disk is a tiny tmpfs, which only root can mount");
    testing::Program p;
    fill(p.folder.storePath(), 400);
    const QString folder = p.folder.path() + QStringLiteral("/../") + second;
    if (second == QLatin1String("file"))
        QVERIFY(testing::writeFile(folder, "not a folder"));
    else if (second != QLatin1String("absent"))
        QVERIFY(QDir().mkpath(folder));
    if (second == QLatin1String("readonly"))
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(testing::writeFile(
        backupSettingsFile(), "[Yedek]\r\nKlasor=" + QFile::encodeName(folder) + "\r\n"));
    const QByteArray mountPoint = QFile::encodeName(folder);
    const bool mounted = second == QLatin1String("full")
        && ::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=16k") == 0;
    if (second == QLatin1String("full") && !mounted)
        QSKIP("this sandbox allows no mount");
    p.window->ExitProgram();
    const QStringList left = QDir(folder).entryList(QDir::Files);
    if (mounted)
        ::umount(mountPoint.constData());
    QCOMPARE(p.messages.exits(), 1);
    // Nothing but the whole copy, or no file at all: never a half copy.
    QCOMPARE(
        left, copied ? QStringList { backupFileName(QDate::currentDate(), true) } : QStringList());
    if (copied) {
        QVERIFY(p.messages.shown().isEmpty());
    } else {
        QCOMPARE(p.messages.shown().size(), 1);
        const platform::MessageRequest &box = p.messages.shown().first();
        QCOMPARE(box.icon, platform::MsgIcon::Warning);
        QVERIFY2(box.text.contains(QDir::toNativeSeparators(QDir::cleanPath(folder)))
                && box.text.contains(told) && box.text.contains(QStringLiteral("Bugünün yedeği")),
            qPrintable(box.text));
        const char *listed = second == QLatin1String("absent") ? "(klasör bulunamadı)"
            : second == QLatin1String("file")                  ? "(bir klasör değil)"
                                                               : "(yedek yok)";
        QVERIFY(backupListText().contains(QString::fromUtf8(listed)));
    }
    QCOMPARE(rowCount(backupOf(QDate::currentDate()), "ARACKAYIT"), 200);
}

void TestCompaction::aRestoreBringsEveryRecordBackOrChangesNothing()
{
    QFETCH(QString, make);
    QFETCH(QString, told);
    Store s(40);
    backUpRecordStore(s.path, kFirstDay);
    fill(s.path, 10); // what came after the backup
    const QString file = s.folder.path() + QStringLiteral("/../secilen.mdb");
    if (make != QLatin1String("missing"))
        QVERIFY(QFile::copy(backupOf(kFirstDay), file));
    if (make == QLatin1String("text"))
        QVERIFY(testing::writeFile(file, QByteArray(8192, 'x')));
    else if (make == QLatin1String("folder"))
        QVERIFY(QFile::remove(file) && QDir().mkdir(file));
    else if (make == QLatin1String("spoil store"))
        spoil(s.path, QStringLiteral("page"));
    else if (make.startsWith(QLatin1String("spoil ")))
        spoil(file, make.mid(6));
    else if (make.contains(QLatin1Char(' ')))
        QVERIFY(sqlExec(file, make.toUtf8()));
    std::unique_ptr<testing::CrashChild> other;
    if (make == QLatin1String("held")) {
        other = std::make_unique<testing::CrashChild>(
            QStringList { QStringLiteral("hold"), s.folder.path(), QStringLiteral("delete") });
        QVERIFY2(other->waitForLines(1), qPrintable(other->errors()));
    }
    const QByteArray before = contents(s.path);
    const QByteArray chosen = contents(file);

    const RestoreOutcome r = restoreRecordStore(file, QDateTime(kFirstDay, QTime(14, 5, 33)));
    other.reset();
    QVERIFY2(r.text.contains(told), qPrintable(r.text));
    QCOMPARE(contents(file), chosen); // the chosen file is only read
    QVERIFY(!QFile::exists(s.path + QStringLiteral(".geri")));
    const QStringList listed = names(listBackups(backupFolder()));
    if (!r.ok) {
        QCOMPARE(contents(s.path), before);
        QCOMPARE(listed, QStringList { backupFileName(kFirstDay) });
        return;
    }
    QVERIFY(told.contains(QString::number(r.records)));
    QVERIFY(platform::integrityCheck(s.path).ok);
    const char *everything = "SELECT group_concat(K.ID || K.MOTORNO || K.HAKLAR || S.SAHIPNO || "
                             "S.KIMLIKNO, ',') FROM ARACKAYIT K JOIN ARACSAHIPLERI S ON "
                             "S.ARACID = K.ID";
    QString restored, backedUp;
    QVERIFY(sqlExec(s.path, everything, &restored) && sqlExec(file, everything, &backedUp));
    QCOMPARE(restored, backedUp);
    upgradeRecordStore(); // the next start
    QCOMPARE(rowCount(s.path, "ARACKAYIT"), 20);
    QCOMPARE(rowCount(s.path, "ARACSAHIPLERI"), 40);
    QVERIFY(s.messages.shown().isEmpty());
    // The store it replaced is kept whole, with what came after the backup.
    QCOMPARE(r.keptStore, backupFolder() + QStringLiteral("/tescil-2026-03-01-140533-onceki.mdb"));
    QCOMPARE(contents(r.keptStore), before);
    QVERIFY(listed.contains(QFileInfo(r.keptStore).fileName()));
    // A second restore within the same second keeps its own copy beside the first.
    const RestoreOutcome again = restoreRecordStore(file, QDateTime(kFirstDay, QTime(14, 5, 33)));
    QVERIFY(again.ok && again.keptStore != r.keptStore && QFile::exists(again.keptStore));
    QCOMPARE(contents(r.keptStore), before);
    QCOMPARE(QFileInfo(s.path).permissions() & 0x0077, QFileDevice::Permissions());
}

void TestCompaction::theCommandLineRestoresAndLists()
{
    Store s(40);
    backUpRecordStore(s.path, kFirstDay);
    fill(s.path, 10);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("EVRAKMATIK_PROGRAM_FOLDER"), s.folder.path());
    env.insert(QStringLiteral("EVRAKMATIK_MARGIN_FOLDER"), s.folder.marginFolder());
    env.insert(QStringLiteral("HOME"), s.folder.path() + QStringLiteral("/../home"));
    program.setProcessEnvironment(env);
    // The exit code, and what it wrote to standard output (or error, with a code).
    const auto run = [&](const QStringList &args, int *code) {
        program.start(QStringLiteral(EVRAKMATIK_PROGRAM), args);
        *code = program.waitForFinished(60000) ? program.exitCode() : -1;
        return QString::fromUtf8(
            *code ? program.readAllStandardError() : program.readAllStandardOutput());
    };
    int code = -1;
    const QString list = run({ QStringLiteral("--list-backups") }, &code);
    QVERIFY2(code == 0 && list.contains(QStringLiteral("20 kayıt  ") + backupFileName(kFirstDay)),
        qPrintable(list));
    QVERIFY(run({ QStringLiteral("--restore"), s.temp }, &code)
                .contains(QStringLiteral("Dosya bulunamadı.")));
    QCOMPARE(code, 1);
    QVERIFY(run({ QStringLiteral("--restore"), backupOf(kFirstDay) }, &code)
                .contains(QStringLiteral("20 kayıt")));
    QCOMPARE(code, 0);
    QCOMPARE(rowCount(s.path, "ARACKAYIT"), 20);
}

void TestCompaction::theAboutWindowRestoresOnlyWhenTheClerkSaysSo()
{
    testing::Program p;
    const QString store = p.folder.storePath();
    fill(store, 40);
    backUpRecordStore(store, kFirstDay);
    fill(store, 10);
    p.messages.answerNext(platform::MsgAnswer::No);
    p.window->restoreFromBackup(backupOf(kFirstDay));
    QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("Dikkat") });
    QCOMPARE(rowCount(store, "ARACKAYIT"), 25);

    // The about window's button, the real file dialog opening in the backups
    // folder, its remembered folders kept out of the user's own settings.
    for (auto format : { QSettings::NativeFormat, QSettings::IniFormat })
        QSettings::setPath(format, QSettings::UserScope, p.folder.marginFolder());
    p.messages.reset();
    QString opened;
    testing::whenModal([&](QWidget *about) {
        auto *restore = about->findChild<QPushButton *>(QStringLiteral("cmdGeriYukle"));
        if (!restore)
            return false;
        testing::whenModal([&, about](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            auto *name = w->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!dialog || !name)
                return false;
            opened = dialog->directory().absolutePath();
            // Typed into the name box and Enter pressed, as the clerk would.
            name->setText(backupOf(kFirstDay));
            QTest::keyClick(name, Qt::Key_Return);
            testing::whenModal(
                [about](QWidget *w) { return w == about && (about->close(), true); });
            return true;
        });
        restore->click();
        return true;
    });
    p.window->showAbout();
    QCOMPARE(opened, backupFolder());
    QCOMPARE(
        p.messages.titles(), (QStringList { QStringLiteral("Dikkat"), QStringLiteral("Bilgi") }));
    QVERIFY(p.messages.shown().last().text.contains(QStringLiteral("20 kayıt")));
    QCOMPARE(rowCount(store, "ARACKAYIT"), 20);
    QCOMPARE(p.messages.exits(), 0);
}

QTEST_MAIN(TestCompaction)
#include "tst_compaction.moc"
