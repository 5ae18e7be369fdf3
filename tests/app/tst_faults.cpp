// Faults a clerk's machine meets: every one reported in the program's own
// box, none taken for a success, the store unchanged.
#include "app/appstate.h"
#include "app/datafiles.h"
#include "app/inisettings.h"
#include "app/mainwindow.h"
#include "platform/reportexporters.h"
#include "platform/sqliteengine.h"
#include "printing/forms.h"
#include "records/entryscreen.h"
#include "records/saverecord.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <sqlite3.h>

using testing::contents;
using testing::FileSizeLimit;

namespace {

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
        QCOMPARE(messages.titles().mid(0, 2), (QStringList { "GENEL HATA", "DİKKAT" }));
        QVERIFY(messages.exits() >= 1);
        QVERIFY(!QFile::exists(folder.storePath()));
    }

    void aFullDiskInTheMiddleOfASaveChangesNothing()
    {
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        typeOwners(s, QStringLiteral("ONCE"));
        QVERIFY(records::Kaydet(s, QString()) > 0);
        typeOwners(s, QStringLiteral("SONRA"));
        p.messages.reset();
        {
            FileSizeLimit full(QFileInfo(p.folder.storePath()).size());
            QCOMPARE(records::Kaydet(s, QString()), 0);
        }
        QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(p.messages.shown().first().text.contains(QStringLiteral("Kaydet")));
        QVERIFY(!p.messages.titles().contains(QString()));
        QVERIFY(platform::integrityCheck(p.folder.storePath()).ok);
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACKAYIT"), 1);
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACSAHIPLERI"), 3);
        // With room again the same screen saves.
        QVERIFY(records::Kaydet(s, QString()) > 0);
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACSAHIPLERI"), 6);
    }

    void aStoreLockedLongerThanTheWaitIsReported()
    {
        testing::Program p;
        app::setBusyTimeout(300);
        records::EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("KİLİTLİ"));
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(p.folder.storePath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        p.messages.reset();
        QCOMPARE(records::Kaydet(s, QString()), 0);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        app::setBusyTimeout(5000);
        QVERIFY(!p.messages.titles().isEmpty());
        QCOMPARE(p.messages.titles().last(), QStringLiteral("GENEL HATA"));
        QCOMPARE(p.messages.exits(), 0);
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACKAYIT"), 0);
        QVERIFY(records::Kaydet(s, QString()) > 0);
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

    void aFullDiskDuringAnExportKeepsTheEarlierFile_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("pdf") << QStringLiteral("pdf");
        QTest::newRow("word") << QStringLiteral("doc");
        QTest::newRow("excel") << QStringLiteral("xls");
    }

    void aFullDiskDuringAnExportKeepsTheEarlierFile()
    {
        QFETCH(QString, suffix);
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        typeOwners(s, QStringLiteral("AKTAR"));
        printing::ArTrafik front(s);
        front.run();
        platform::PdfExporter pdf;
        platform::WordExporter word;
        platform::ExcelExporter excel;
        platform::ReportExporter *const exporters[] { &pdf, &word, &excel };
        platform::ReportExporter *exporter =
            exporters[QStringList { "pdf", "doc", "xls" }.indexOf(suffix)];
        const QString path = p.folder.path() + QStringLiteral("/rapor.") + suffix;
        QString error;
        QVERIFY2(exporter->write({ &front }, path, &error), qPrintable(error));
        const QByteArray good = contents(path);
        const QStringList filesBefore = QDir(p.folder.path()).entryList(QDir::Files | QDir::Hidden);
        bool written = false;
        {
            FileSizeLimit full(good.size() / 2);
            written = exporter->write({ &front }, path, &error);
        }
        QVERIFY(!written);
        QVERIFY2(error.contains(QStringLiteral("yer")), qPrintable(error)); // says why, in Turkish
        QCOMPARE(contents(path), good);
        QCOMPARE(QDir(p.folder.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
    }

    void aFullDiskFailsTheCommandLinePrint()
    {
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        typeOwners(s, QStringLiteral("BASKI"));
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);
        const QString out = p.folder.path() + QStringLiteral("/ek1.pdf");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        QDir().mkpath(p.folder.path() + QStringLiteral("/home"));
        env.insert(QStringLiteral("HOME"), p.folder.path() + QStringLiteral("/home"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QString errors;
        // The program as the clerk's script runs it, in a child whose files
        // may not grow past `limit` bytes.
        const auto print = [&](qint64 limit) {
            QProcess child;
            child.setProcessEnvironment(env);
            child.setChildProcessModifier([limit] {
                if (limit > 0)
                    FileSizeLimit::apply(limit);
            });
            // The program is built beside the templates the tests use.
            child.start(QStringLiteral(EVRAKMATIK_TEST_MDQ "/../evrakmatik"),
                { QStringLiteral("--program-folder"), p.folder.path(),
                    QStringLiteral("--margin-folder"), p.folder.marginFolder(),
                    QStringLiteral("--print-pdf"), QStringLiteral("ek1"), QStringLiteral("--id"),
                    QString::number(id), QStringLiteral("--out"), out });
            if (!child.waitForFinished(120000))
                return -1;
            errors = QString::fromUtf8(child.readAllStandardError()).trimmed();
            return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
        };
        // No room even for the margins the first print stores.
        QCOMPARE(print(16), 1);
        QCOMPARE(errors.count(QLatin1Char('\n')), 0);
        QVERIFY2(errors.contains(QStringLiteral("IniOkuYaz")), qPrintable(errors));
        QVERIFY(!QFile::exists(out));
        QCOMPARE(print(0), 0);
        const QByteArray good = contents(out);
        QVERIFY(good.startsWith("%PDF") && good.size() > 4096);
        QCOMPARE(print(4096), 1);
        QCOMPARE(errors.count(QLatin1Char('\n')), 0);
        QVERIFY2(errors.startsWith(QStringLiteral("evrakmatik: ")) && errors.contains(out),
            qPrintable(errors));
        QCOMPARE(contents(out), good);
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
        QCOMPARE(QDir(p.folder.marginFolder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
