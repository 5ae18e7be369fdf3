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
    return n;
}

// The warning boxes shown, and that each was the exit's only one.
int warnings(const testing::ScriptedMessages &m)
{
    return int(std::count_if(m.shown().begin(), m.shown().end(),
        [](const platform::MessageRequest &r) { return r.icon == platform::MsgIcon::Warning; }));
}

void setSecondFolder(const QString &folder)
{
    QVERIFY(testing::writeFile(
        backupSettingsFile(), "[Yedek]\r\nKlasor=" + QFile::encodeName(folder) + "\r\n"));
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

    void theNewestFourteenDaysAreKeptOneCopyADay();
    void aSecondFolderThatFailsWarnsOnceAndTheExitEnds_data();
    void aSecondFolderThatFailsWarnsOnceAndTheExitEnds();
    void aRestoreBringsEveryRecordBackOrChangesNothing_data();
    void aRestoreBringsEveryRecordBackOrChangesNothing();
    void theCommandLineRestoresAndLists();
    void theAboutWindowRestoresOnlyWhenTheClerkSaysSo();
};

void TestCompaction::theNewestFourteenDaysAreKeptOneCopyADay()
{
    Store s(40);
    QVERIFY(QDir().mkpath(backupFolder()));
    const QString leftover = backupOf(kFirstDay.addDays(30)) + QStringLiteral(".yarim");
    QVERIFY(testing::writeFile(leftover, "a copy a killed exit began"));
    for (int day = 0; day < 20; ++day)
        backUpRecordStore(s.path, kFirstDay.addDays(day));
    fill(s.path, 10); // the day's last exit wins
    backUpRecordStore(s.path, kFirstDay.addDays(19));
    QVERIFY2(s.messages.shown().isEmpty(), qPrintable(s.messages.shown().value(0).text));

    const QVector<BackupEntry> kept = listBackups(backupFolder());
    QStringList expected;
    for (int day = 19; day >= 6; --day)
        expected << backupFileName(kFirstDay.addDays(day));
    QStringList listed = names(kept);
    listed.sort();
    std::sort(expected.begin(), expected.end());
    QCOMPARE(listed, expected);
    QVERIFY(!QFile::exists(leftover));
    for (const BackupEntry &e : kept) {
        QString why;
        QVERIFY2(isUsableRecordStore(e.path, &why), qPrintable(why));
        QCOMPARE(e.records, e.path == backupOf(kFirstDay.addDays(19)) ? 25LL : 20LL);
        QCOMPARE(QFileInfo(e.path).permissions() & 0x0077, QFileDevice::Permissions());
    }
    QCOMPARE(QFileInfo(backupFolder()).permissions() & 0x0077, QFileDevice::Permissions());
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

void TestCompaction::aSecondFolderThatFailsWarnsOnceAndTheExitEnds_data()
{
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("told");
    QTest::newRow("plugged in") << QStringLiteral("stick") << QString();
    QTest::newRow("stick not plugged in")
        << QStringLiteral("absent") << QStringLiteral("bulunamadı");
    QTest::newRow("a file, not a folder") << QStringLiteral("file") << QStringLiteral("bulunamadı");
    QTest::newRow("read-only") << QStringLiteral("readonly") << QStringLiteral("yazma izni yok");
    QTest::newRow("full") << QStringLiteral("full") << QStringLiteral("Diskte yer kalmadı");
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
    setSecondFolder(folder);
    bool mounted = false;
    if (second == QLatin1String("full")) {
        mounted =
            ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=16k") == 0;
        if (!mounted)
            QSKIP("this sandbox allows no mount");
    }
    p.window->ExitProgram();
    const QString copy = QDir(folder).filePath(backupFileName(QDate::currentDate()));
    const bool there = QFile::exists(copy);
    const QStringList left = QDir(folder).entryList(QDir::Files);
    if (mounted)
        ::umount(QFile::encodeName(folder).constData());
    QCOMPARE(p.messages.exits(), 1);
    QCOMPARE(warnings(p.messages), copied ? 0 : 1);
    QCOMPARE(p.messages.shown().size(), copied ? 0 : 1);
    if (!copied) {
        const QString text = p.messages.shown().first().text;
        QVERIFY2(
            text.contains(QDir::toNativeSeparators(QDir::cleanPath(folder))) && text.contains(told),
            qPrintable(text));
    }
    QCOMPARE(there, copied);
    QVERIFY2(copied || left.isEmpty(), qPrintable(left.join(QLatin1Char(' ')))); // no half copy
    QCOMPARE(
        platform::countRows(backupOf(QDate::currentDate()), QStringLiteral("ARACKAYIT")), 200LL);
}

void TestCompaction::aRestoreBringsEveryRecordBackOrChangesNothing_data()
{
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("told");
    QTest::newRow("a good backup") << QStringLiteral("good") << QStringLiteral("20 kayıt");
    QTest::newRow("a good backup over a damaged store")
        << QStringLiteral("over damaged") << QStringLiteral("20 kayıt");
    QTest::newRow("an older store without the later columns")
        << QStringLiteral("older") << QStringLiteral("20 kayıt");
    QTest::newRow("one damaged table page") << QStringLiteral("page") << QStringLiteral("bozuk");
    QTest::newRow("a text file") << QStringLiteral("text")
                                 << QStringLiteral("bir veri tabanı dosyası değil");
    QTest::newRow("an empty file")
        << QStringLiteral("empty") << QStringLiteral("ARACKAYIT tablosu yok");
    QTest::newRow("another program's database")
        << QStringLiteral("foreign") << QStringLiteral("ARACKAYIT tablosu yok");
    QTest::newRow("a store without a column the program writes")
        << QStringLiteral("column") << QStringLiteral("BELGEDUZENLEYEN");
    QTest::newRow("no such file") << QStringLiteral("missing") << QStringLiteral("bulunamadı");
    QTest::newRow("the store open in another program")
        << QStringLiteral("held") << QStringLiteral("başka bir programda");
}
void TestCompaction::aRestoreBringsEveryRecordBackOrChangesNothing()
{
    QFETCH(QString, candidate);
    QFETCH(QString, told);
    Store s(40);
    backUpRecordStore(s.path, kFirstDay);
    fill(s.path, 10); // what came after the backup
    const QString file = s.folder.path() + QStringLiteral("/../secilen.mdb");
    if (candidate != QLatin1String("missing"))
        QVERIFY(QFile::copy(backupOf(kFirstDay), file));
    if (candidate == QLatin1String("older"))
        QVERIFY(sqlExec(file, "ALTER TABLE ARACKAYIT DROP COLUMN OTV_MakbuzNo"));
    else if (candidate == QLatin1String("column"))
        QVERIFY(sqlExec(file, "ALTER TABLE ARACKAYIT DROP COLUMN BELGEDUZENLEYEN"));
    else if (candidate == QLatin1String("text"))
        QVERIFY(testing::writeFile(file, QByteArray(8192, 'x')));
    else if (candidate == QLatin1String("foreign"))
        QVERIFY(sqlExec(file,
            "DROP TABLE ARACSAHIPLERI; DROP TABLE ARACKAYIT; CREATE TABLE Araclar (MARKA TEXT)"));
    else if (candidate == QLatin1String("page") || candidate == QLatin1String("empty"))
        spoil(file, candidate);
    else if (candidate == QLatin1String("over damaged"))
        spoil(s.path, QStringLiteral("page"));
    std::unique_ptr<testing::CrashChild> other;
    if (candidate == QLatin1String("held")) {
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
    const auto run = [&](const QStringList &args) {
        program.start(QStringLiteral(EVRAKMATIK_PROGRAM), args);
        return program.waitForFinished(60000) ? program.exitCode() : -1;
    };
    QCOMPARE(run({ QStringLiteral("--list-backups") }), 0);
    const QString list = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY2(
        list.contains(QStringLiteral("20 kayıt  ") + backupFileName(kFirstDay)), qPrintable(list));
    QCOMPARE(run({ QStringLiteral("--restore"), s.path + QStringLiteral("x") }), 1); // none there
    QVERIFY(QString::fromUtf8(program.readAllStandardError())
                .contains(QStringLiteral("Dosya bulunamadı.")));
    QCOMPARE(run({ QStringLiteral("--restore"), backupOf(kFirstDay) }), 0);
    QVERIFY(
        QString::fromUtf8(program.readAllStandardOutput()).contains(QStringLiteral("20 kayıt")));
    QCOMPARE(rowCount(s.path, "ARACKAYIT"), 20);
    QCOMPARE(run({ QStringLiteral("--help") }), 0);
    const QString help = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY(help.contains(QStringLiteral("--restore <DOSYA>"))
        && help.contains(QStringLiteral("--list-backups")));
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
    p.messages.answerNext(platform::MsgAnswer::Yes);
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
