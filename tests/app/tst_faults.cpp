// Faults a clerk's machine meets: every one reported in the program's own
// box, none taken for a success, the store unchanged.
#include "app/appstate.h"
#include "app/datafiles.h"
#include "app/mainwindow.h"
#include "platform/sqliteengine.h"
#include "printing/forms.h"
#include "records/entryscreen.h"
#include "records/saverecord.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

int count(const QString &table)
{
    QSqlDatabase db;
    int n = -1;
    if (!app::OpenData(db, app::RecordStoreData))
        return n;
    {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT count(*) FROM ") + table);
        if (q.next())
            n = q.value(0).toInt();
    }
    app::CloseDb(db);
    return n;
}

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
        QFile blocker(folder.path() + QStringLiteral("/data"));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
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
        const QByteArray before = [&] {
            QFile f(p.folder.storePath());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        // Files may not grow past their present size: the next write that
        // needs room fails as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit tight = old;
        tight.rlim_cur = rlim_t(before.size());
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        typeOwners(s, QStringLiteral("SONRA"));
        p.messages.reset();
        const qint64 id = records::Kaydet(s, QString());
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(id, 0);
        QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(p.messages.shown().first().text.contains(QStringLiteral("Kaydet")));
        QVERIFY(!p.messages.titles().contains(QString()));
        QVERIFY(platform::integrityCheck(p.folder.storePath()).ok);
        QCOMPARE(count(QStringLiteral("ARACKAYIT")), 1);
        QCOMPARE(count(QStringLiteral("ARACSAHIPLERI")), 3);
        // With room again the same screen saves.
        QVERIFY(records::Kaydet(s, QString()) > 0);
        QCOMPARE(count(QStringLiteral("ARACSAHIPLERI")), 6);
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
        QCOMPARE(count(QStringLiteral("ARACKAYIT")), 0);
        QVERIFY(records::Kaydet(s, QString()) > 0);
    }

    void aMarginsFileThatCannotBeWrittenStillPrints()
    {
        testing::Program p;
        // The margins folder is taken by a file of the same name.
        QDir(p.folder.marginFolder()).removeRecursively();
        QFile blocker(p.folder.marginFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
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
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
