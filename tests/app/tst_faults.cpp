// Faults a clerk's machine meets: every one reported in the program's own
// box, none taken for a success, the store unchanged.
#include "app/appstate.h"
#include "app/datafiles.h"
#include "app/inisettings.h"
#include "app/mainwindow.h"
#include "platform/fileaccess.h"
#include "platform/reportexporters.h"
#include "platform/sqliteengine.h"
#include "printing/forms.h"
#include "records/entryscreen.h"
#include "records/recordstore.h"
#include "records/saverecord.h"
#include "records/screenvalues.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QTest>

#include <cstdio>
#include <sys/stat.h>

#include <sqlite3.h>

using testing::contents;
using testing::FileSizeLimit;

namespace {

// Three owners with every box full, so that a save and a print write much.
void typeOwners(records::EntryScreen &s, const QString &motor)
{
    s.txt(16)->setText(motor);
    for (int n = 1; n <= 3; ++n) {
        const int b = records::EntryScreen::ownerBase(n);
        s.txt(b)->setText(motor + QString::number(n));
        for (int k = 1; k <= 22; ++k)
            s.txt(b + k)->setText(QString(s.txt(b + k)->maxLength(), QChar(u'ş')));
    }
    for (int i = 36; i <= 39; ++i)
        s.txt(i)->setText(QString(150, QChar(u'ğ')));
}

QStringList files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void aDataFolderThatCannotBeMadeEndsTheStart()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        // A file where the folder should be.
        QVERIFY(testing::writeFile(folder.path() + QStringLiteral("/data"), {}));
        app::upgradeRecordStore();
        // The real program ends at the first exit; here the boxes go on.
        QCOMPARE(messages.titles().mid(0, 2), (QStringList { "GENEL HATA", "Dikkat" }));
        QVERIFY(messages.exits() >= 1);
        QVERIFY(!QFile::exists(folder.storePath()));
    }

    void aMissingVehicleFileLeavesTheBrandBoxUsable()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        QFile::remove(folder.path() + QStringLiteral("/MDQ/Arac.mdq"));
        app::MainWindow window;
        window.load();
        QVERIFY(messages.titles().contains(QStringLiteral("GENEL HATA")));
        QCOMPARE(messages.exits(), 0);
        QVERIFY(window.entryScreen().cmbX(0)->isEditable());
    }

    // A full disk, and a store locked longer than the wait.
    void aSaveThatCannotBeWrittenChangesNothing_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("disk full in the middle") << false;
        QTest::newRow("store locked by another program") << true;
    }
    void aSaveThatCannotBeWrittenChangesNothing()
    {
        QFETCH(bool, locked);
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        typeOwners(s, QStringLiteral("ONCE"));
        QVERIFY(records::Kaydet(s, QString()) > 0);
        typeOwners(s, QStringLiteral("SONRA"));
        p.messages.reset();
        sqlite3 *other = nullptr;
        if (locked) {
            app::setBusyTimeout(300);
            QCOMPARE(sqlite3_open(p.folder.storePath().toUtf8().constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
            QCOMPARE(records::Kaydet(s, QString()), 0);
            sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(other);
            app::setBusyTimeout(5000);
        } else {
            FileSizeLimit full(QFileInfo(p.folder.storePath()).size());
            QCOMPARE(records::Kaydet(s, QString()), 0);
        }
        // One box: a locked store is reported as it is opened, and only then.
        QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        const QString said = p.messages.shown().last().text;
        QVERIFY2(said.contains(
                     locked ? QStringLiteral("1 Data açılışında...") : QStringLiteral("Kaydet")),
            qPrintable(said));
        QVERIFY2(locked || said.contains(QStringLiteral("disk hatası")), qPrintable(said));
        QCOMPARE(p.messages.exits(), 0);
        QVERIFY(platform::integrityCheck(p.folder.storePath()).ok);
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACKAYIT"), 1);
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACSAHIPLERI"), 3);
        // With room again, or the lock gone, the same screen saves.
        QVERIFY(records::Kaydet(s, QString()) > 0);
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACSAHIPLERI"), 6);
    }

    // Another window compacts the store at its exit while this one saves:
    // the box names that, nothing is written, and the next save works.
    void aSaveDuringAnotherWindowsCompactionSaysSo()
    {
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        typeOwners(s, QStringLiteral("ONCE"));
        QVERIFY(records::Kaydet(s, QString()) > 0);
        const QString store = p.folder.storePath();
        typeOwners(s, QStringLiteral("SONRA"));
        // The store replaced under an open connection, as the compaction's
        // rename does.
        QSqlDatabase db;
        QVERIFY(app::OpenData(db, app::RecordStoreData));
        QVERIFY(QFile::copy(store, store + QStringLiteral(".yeni")));
        QVERIFY(::rename(QFile::encodeName(store + QStringLiteral(".yeni")).constData(),
                    QFile::encodeName(store).constData())
            == 0);
        qint64 id = 0;
        records::StoreError error;
        QVERIFY(!records::RecordStore(db).save(records::readScreen(s), &id, &error));
        app::CloseDb(db);
        // The store moved aside and held open by the other window.
        const QString away = app::compactionTempPath(store);
        QVERIFY(QFile::rename(store, away));
        QProcess other;
        other.start(QStringLiteral("sh"),
            { QStringLiteral("-c"), QStringLiteral("exec 3<\"$0\"; sleep 30"), away });
        QTRY_VERIFY(platform::openedByAnotherProcess(away));
        p.messages.reset();
        QCOMPARE(records::Kaydet(s, QString()), 0);
        other.kill();
        other.waitForFinished();
        QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        for (const QString &said : { error.text, p.messages.shown().last().text })
            QVERIFY2(said.contains(QStringLiteral("sıkıştırılıyor"))
                    && !said.contains(QStringLiteral("salt okunur")),
                qPrintable(said));
        QVERIFY(!QFile::exists(store));
        QVERIFY(QFile::rename(away, store));
        QCOMPARE(testing::rowCount(store, "ARACSAHIPLERI"), 3);
        QVERIFY(records::Kaydet(s, QString()) > 0);
        QCOMPARE(testing::rowCount(store, "ARACSAHIPLERI"), 6);
    }

    // Another program stored a record under the largest ID there is: a new
    // record cannot be numbered, and the box says that, not "disk full".
    void theLastRecordNumberIsNamedNotADiskFull()
    {
        testing::Program p;
        const QString store = p.folder.storePath();
        QVERIFY(testing::sqlExec(store,
            "INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA) VALUES (1, 'A', 'YOK'), "
            "(9223372036854775807, 'X', 'YOK')"));
        records::EntryScreen &s = p.window->entryScreen();
        typeOwners(s, QStringLiteral("YENI"));
        p.messages.reset();
        QCOMPARE(records::Kaydet(s, QString()), 0);
        const QString said = p.messages.shown().last().text;
        QVERIFY2(said.contains(QStringLiteral("Kayıt numaraları tükendi"))
                && said.contains(QStringLiteral("ARACKAYIT"))
                && !said.contains(QStringLiteral("Diskte yer kalmadı")),
            qPrintable(said));
        QCOMPARE(testing::rowCount(store, "ARACKAYIT"), 2);
        // The next start indexes both records for "Ara" at once, without a
        // slice for every gap of IDs up to the largest.
        QVERIFY(app::upgradeRecordStore());
        QCOMPARE(testing::rowCount(store, "ARAMA"), 2);
    }

    void aMarginsFileThatCannotBeWrittenStillPrints()
    {
        testing::Program p;
        // The margins folder is taken by a file of the same name.
        QDir(p.folder.marginFolder()).removeRecursively();
        QVERIFY(testing::writeFile(p.folder.marginFolder(), {}));
        records::EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M"));
        printing::ArTrafik front(s);
        p.messages.reset();
        front.run();
        QVERIFY(p.messages.titles().contains(QStringLiteral("GENEL HATA")));
        QCOMPARE(p.messages.exits(), 0);
        QCOMPARE(front.pageSettings.leftMargin, 850); // the defaults serve
        QCOMPARE(front.fieldText(QStringLiteral("Field40")), QStringLiteral("M"));
    }

    void aFullDiskKeepsTheMarginsFile()
    {
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        printing::ArTrafik front(s);
        printing::ArEk9 ek9(s);
        front.run(); // both reports store their defaults
        ek9.run();
        const QString file = app::marginFile();
        const QByteArray before = contents(file);
        p.messages.reset();
        {
            FileSizeLimit full(before.size());
            app::IniOkuYaz(QStringLiteral("YAZ"), file, QStringLiteral("ar_Trafik"),
                QStringLiteral("yeni"), QStringLiteral("1"));
        }
        QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(p.messages.shown().first().text.contains(QStringLiteral("IniOkuYaz")));
        QCOMPARE(contents(file), before);
        QCOMPARE(files(p.folder.marginFolder()).size(), 1);
    }

    void aFullDiskDuringAnExportKeepsTheEarlierFile_data()
    {
        QTest::addColumn<QString>("suffix");
        for (const char *suffix : { "pdf", "docx", "xls" })
            QTest::newRow(suffix) << QString::fromLatin1(suffix);
    }
    void aFullDiskDuringAnExportKeepsTheEarlierFile()
    {
        QFETCH(QString, suffix);
        testing::Program p;
        typeOwners(p.window->entryScreen(), QStringLiteral("AKTAR"));
        printing::ArTrafik front(p.window->entryScreen());
        front.run();
        const std::unique_ptr<platform::ReportExporter> exporter = suffix == "pdf"
            ? std::unique_ptr<platform::ReportExporter>(new platform::PdfExporter)
            : suffix == "docx"
            ? std::unique_ptr<platform::ReportExporter>(new platform::WordExporter)
            : std::unique_ptr<platform::ReportExporter>(new platform::ExcelExporter);
        const QString path = p.folder.path() + QStringLiteral("/rapor.") + suffix;
        QString error;
        QVERIFY2(exporter->write({ &front }, path, &error), qPrintable(error));
        const QByteArray good = contents(path);
        const QStringList filesBefore = files(p.folder.path());
        {
            FileSizeLimit full(good.size() / 2);
            QVERIFY(!exporter->write({ &front }, path, &error));
        }
        QVERIFY2(error.contains(QStringLiteral("yer")), qPrintable(error)); // says why, in Turkish
        QCOMPARE(contents(path), good);
        QCOMPARE(files(p.folder.path()), filesBefore);
    }

    void aFullDiskFailsTheCommandLinePrint()
    {
        testing::Program p;
        typeOwners(p.window->entryScreen(), QStringLiteral("BASKI"));
        const qint64 id = records::Kaydet(p.window->entryScreen(), QString());
        QVERIFY(id > 0);
        const QString out = p.folder.path() + QStringLiteral("/ek1.pdf");
        QString errors;
        // No room even for the margins the first print stores.
        QCOMPARE(testing::printPdf(p.folder, "ek1", id, out, &errors, 16), 1);
        QVERIFY2(!errors.contains('\n') && errors.contains("IniOkuYaz"), qPrintable(errors));
        QVERIFY(!QFile::exists(out));
        QCOMPARE(testing::printPdf(p.folder, "ek1", id, out, &errors), 0);
        const QByteArray good = contents(out);
        QVERIFY(good.startsWith("%PDF") && good.size() > 4096);
        QCOMPARE(testing::printPdf(p.folder, "ek1", id, out, &errors, 4096), 1);
        QVERIFY2(
            !errors.contains('\n') && errors.startsWith("evrakmatik: ") && errors.contains(out),
            qPrintable(errors));
        QCOMPARE(contents(out), good);
    }

    // A stored value the load refuses is quoted on standard error only in
    // part: a log is no place for kilobytes of personal data.
    void aRefusedValueIsQuotedOnlyInPart()
    {
        testing::Program p;
        typeOwners(p.window->entryScreen(), QStringLiteral("UZUN"));
        const qint64 id = records::Kaydet(p.window->entryScreen(), QString());
        QVERIFY(id > 0);
        QVERIFY(testing::sqlExec(p.folder.storePath(),
            "PRAGMA ignore_check_constraints = ON; UPDATE ARACKAYIT SET ISLEMTURU = 'x' || "
            "printf('%.55000c', 'A')"));
        QString errors;
        QVERIFY(testing::printPdf(p.folder, "ek9", id, p.folder.path() + "/a.pdf", &errors) > 0);
        QVERIFY2(errors.size() < 1000 && errors.contains("AAAA"), qPrintable(errors.left(2000)));
    }

    // A mistyped --out never costs the records: the store, another data
    // file, a device, a pipe and a link are refused and left as they were.
    void thePdfNeverGoesOverTheProgramsOwnFiles()
    {
        testing::Program p;
        typeOwners(p.window->entryScreen(), QStringLiteral("BASKI"));
        const qint64 id = records::Kaydet(p.window->entryScreen(), QString());
        QVERIFY(id > 0);
        const QString store = p.folder.storePath();
        const QString pipe = p.folder.path() + QStringLiteral("/boru");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        const QString link = p.folder.path() + QStringLiteral("/bag.pdf");
        QVERIFY(QFile::link(store, link));
        const QByteArray before = contents(store);
        for (const QString &out :
            { store, p.folder.path() + QStringLiteral("/data/../data/tescil.mdb"),
                p.folder.path() + QStringLiteral("/data/yeni.pdf"), pipe, link,
                QStringLiteral("/dev/null") }) {
            QString errors;
            QCOMPARE(testing::printPdf(p.folder, "ek9", id, out, &errors), 2);
            QVERIFY2(errors.contains(QStringLiteral("Çıktı")), qPrintable(errors));
        }
        QCOMPARE(contents(store), before);
        QVERIFY(QFileInfo(link).isSymLink() && !QFile::exists(p.folder.path() + "/data/yeni.pdf"));
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
