#include "app/datafiles.h"
#include "app/jetimport.h"
#include "app/mainwindow.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

using namespace app;

namespace {

const QString kGenerator = QStringLiteral(EVRAKMATIK_TEST_DATA "/../support/jetgen.py");

// A Jet file written by the test-support generator (kind: records, brands,
// notables, password, bench), Jet 4 or, with version "jet3", Jet 3.
QString makeJet(const QString &folder, const QString &kind, int records = 300,
    const QString &version = QStringLiteral("jet4"))
{
    const QString path = folder + QLatin1Char('/') + kind + version + QStringLiteral(".mdb");
    QStringList args { kGenerator, kind, path, QString::number(records) };
    if (version == QLatin1String("jet3"))
        args << version;
    QProcess::execute(QStringLiteral("python3"), args);
    return path;
}

QString tool(const QString &name, const QStringList &args)
{
    QProcess p;
    // Jet 3 texts are in the code page of the Windows that wrote them.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MDB_JET3_CHARSET"), QStringLiteral("CP1254"));
    p.setProcessEnvironment(env);
    p.start(name, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QByteArray digest(const QString &path)
{
    return QCryptographicHash::hash(testing::contents(path), QCryptographicHash::Sha1);
}

QVariantList column(const QString &sql)
{
    return testing::storeColumn(sql);
}

} // namespace

class TstJetImport : public QObject {
    Q_OBJECT

private slots:
    void generatorFilesReadByMdbtools();
    void officeBringsItsRecordsOver_data();
    void officeBringsItsRecordsOver();
    void badFileLeavesStoreAlone_data();
    void badFileLeavesStoreAlone();
    void brandsJoinTheList();
    void clerkImportsFromAboutWindow();
};

// The generator's files are what mdbtools itself reads: the tables, their
// types, every row.
void TstJetImport::generatorFilesReadByMdbtools()
{
    QTemporaryDir dir;
    const QString file = makeJet(dir.path(), QStringLiteral("records"));
    QCOMPARE(tool(QStringLiteral("mdb-ver"), { file }).trimmed(), QStringLiteral("JET4"));
    QCOMPARE(tool(QStringLiteral("mdb-tables"), { QStringLiteral("-1"), file })
                 .split('\n', Qt::SkipEmptyParts),
        (QStringList { QStringLiteral("ARACKAYIT"), QStringLiteral("ARACSAHIPLERI") }));
    const QString schema = tool(QStringLiteral("mdb-schema"), { file });
    for (const char *type : { "[ID]\t\t\tLong Integer", "[KULLANIMAMACI]\t\t\tInteger",
             "[BELGETARIHI]\t\t\tDateTime", "[NETAGR]\t\t\tDouble", "[MOTORNO]\t\t\tText (255)",
             "[DEGISIKLIKLER]\t\t\tMemo/Hyperlink" })
        QVERIFY2(schema.contains(QLatin1String(type)), type);
    const QStringList cars = tool(QStringLiteral("mdb-export"),
        { QStringLiteral("-Q"), QStringLiteral("-d"), QStringLiteral("|"), file,
            QStringLiteral("ARACKAYIT") })
                                 .split('\n', Qt::SkipEmptyParts);
    QCOMPARE(cars.size(), 301);
    QVERIFY2(cars[2].startsWith(QStringLiteral("2|Motor İŞÇĞÜÖ ışçğüö|Şase ÇAĞRI|")),
        qPrintable(cars[2]));
    QVERIFY(cars[3].contains(QStringLiteral("Uzun açıklama ğüşıöç ").repeated(100)));
    // Jet 3 holds the same, in its own pages and code page.
    const QString old = makeJet(dir.path(), QStringLiteral("records"), 300, QStringLiteral("jet3"));
    QCOMPARE(tool(QStringLiteral("mdb-ver"), { old }).trimmed(), QStringLiteral("JET3"));
    for (const QString &table : { QStringLiteral("ARACKAYIT"), QStringLiteral("ARACSAHIPLERI") })
        QCOMPARE(tool(QStringLiteral("mdb-export"), { old, table }),
            tool(QStringLiteral("mdb-export"), { file, table }));
}

void TstJetImport::officeBringsItsRecordsOver_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("version");
    QTest::newRow("Jet 4 into SQLite") << "sqlite"
                                       << "jet4";
    QTest::newRow("Jet 4 into PostgreSQL") << "postgresql"
                                           << "jet4";
    QTest::newRow("Jet 3 into SQLite") << "sqlite"
                                       << "jet3";
}

void TstJetImport::officeBringsItsRecordsOver()
{
    QFETCH(QString, engine);
    QFETCH(QString, version);
    testing::ScriptedMessages messages;
    testing::ProgramFolder folder;
    testing::SharedStoreScope store(testing::isPostgresRow(engine));
    QVERIFY2(store.ok(), qPrintable(store.error()));
    upgradeRecordStore();
    QTemporaryDir dir;
    const QString file = makeJet(dir.path(), QStringLiteral("records"), 300, version);
    const QByteArray before = digest(file);

    const JetImportOutcome done = importJetRecords(file);
    QVERIFY2(done.ok, qPrintable(done.text));
    QVERIFY2(done.text.contains(QStringLiteral("ARACKAYIT: 300 satır okundu, 300 satır yazıldı."))
            && done.text.contains(
                QStringLiteral("ARACSAHIPLERI: 603 satır okundu, 603 satır yazıldı.")),
        qPrintable(done.text));
    // What could not be taken as it was, and what was stored instead.
    QCOMPARE(done.changed,
        (QStringList {
            QStringLiteral("ARACKAYIT ID 3, MOTORNO: \"%1…\": 70 harf; sütun 60 harf alır, ilk 60 "
                           "harfi saklandı.")
                .arg(QString(40, QLatin1Char('M'))),
            QStringLiteral("ARACKAYIT ID 3, BELGETARIHI: 01.06.1850: 1900–2045 yılları dışında; "
                           "boş bırakıldı."),
            QStringLiteral("ARACKAYIT ID 3, SIGORTATARIHI: 01.01.2050: 1900–2045 yılları dışında; "
                           "boş bırakıldı."),
            QStringLiteral("ARACKAYIT ID 3, KAPASITE: 1234: 2 haneli kutuya sığmıyor; boş "
                           "bırakıldı."),
            QStringLiteral("ARACKAYIT ID 3, DEGISIKLIKLER: \"Uzun açıklama ğüşıöç Uzun açıklama "
                           "ğüşıö…\": 3000 harf; sütun 150 harf alır, ilk 150 harfi saklandı."),
        }));
    // IDs kept, gaps and all; Turkish letters exact in both ways Jet 4
    // keeps texts; the time of day dropped from dates.
    QCOMPARE(
        column(QStringLiteral("SELECT count(*) FROM ARACKAYIT WHERE ID > 1100")).value(0).toInt(),
        200);
    QCOMPARE(column(QStringLiteral("SELECT MOTORNO || '/' || SASENO || '/' || BELGETARIHI FROM "
                                   "ARACKAYIT WHERE ID = 2"))
                 .value(0)
                 .toString(),
        QStringLiteral("Motor İŞÇĞÜÖ ışçğüö/Şase ÇAĞRI/2024-02-29"));
    QCOMPARE(column(QStringLiteral("SELECT length(DEGISIKLIKLER) FROM ARACKAYIT WHERE ID = 3"))
                 .value(0)
                 .toInt(),
        150);
    QVERIFY(
        column(QStringLiteral("SELECT KAPASITE FROM ARACKAYIT WHERE ID = 3")).value(0).isNull());
    QVERIFY(column(QStringLiteral("SELECT MOTORNO FROM ARACKAYIT WHERE ID = 1")).value(0).isNull());
    // Owners as stored: two rows in slot 1, slots empty, 0 and -1 alike.
    QCOMPARE(column(QStringLiteral("SELECT coalesce(SAHIPNO, 9) FROM ARACSAHIPLERI WHERE ARACID "
                                   "IN (4, 5) ORDER BY ID")),
        (QVariantList { 1, 1, 2, 3, 9, 0, -1, 2 }));
    // Every owner's name as mdbtools reads the file.
    QStringList exported = tool(QStringLiteral("mdb-export"),
        { QStringLiteral("-Q"), QStringLiteral("-d"), QStringLiteral("|"), file,
            QStringLiteral("ARACSAHIPLERI") })
                               .split('\n', Qt::SkipEmptyParts);
    exported.removeFirst();
    const QVariantList names =
        column(QStringLiteral("SELECT coalesce(AD, '') FROM ARACSAHIPLERI ORDER BY ID"));
    QCOMPARE(names.size(), exported.size());
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(names[i].toString(), exported[i].section(QLatin1Char('|'), 4, 4));
    // The file only read: same bytes, no lock file beside it.
    QCOMPARE(digest(file), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { QFileInfo(file).fileName() });

    // A new record goes on after the brought IDs.
    QVERIFY(testing::storeExec(QStringLiteral("INSERT INTO ARACKAYIT (MOTORNO) VALUES ('YENI')")));
    QVERIFY(
        column(QStringLiteral("SELECT ID FROM ARACKAYIT WHERE MOTORNO = 'YENI'")).value(0).toInt()
        > 1300);
    // An office imports once: a second run finds records and changes nothing.
    const JetImportOutcome again = importJetRecords(file);
    QVERIFY(!again.ok);
    QVERIFY2(again.text.contains(QStringLiteral("zaten 301 satır var"))
            && again.text.endsWith(QStringLiteral("Kayıt deposu değiştirilmedi.")),
        qPrintable(again.text));
    QCOMPARE(column(QStringLiteral("SELECT count(*) FROM ARACSAHIPLERI")).value(0).toInt(), 603);
}

void TstJetImport::badFileLeavesStoreAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing"
                             << "Dosya bulunamadı.";
    QTest::newRow("not Jet") << "text"
                             << "Dosya bir Jet (Access .mdb) veritabanı değil.";
    QTest::newRow("cut while copied") << "truncated"
                                      << "Dosya eksik: boyu (";
    QTest::newRow("a data page lost") << "damaged"
                                      << "ARACKAYIT tablosunda 300 satır olmalıyken";
    QTest::newRow("catalog lost") << "nocatalog"
                                  << "tablo listesi (MSysObjects) okunamadı";
    QTest::newRow("other tables")
        << "notables"
        << "Dosyada ARACKAYIT ve ARACSAHIPLERI tabloları yok (dosyadaki tablolar: Musteriler).";
    QTest::newRow("database password") << "password"
                                       << "Dosya bir veritabanı parolasıyla korunuyor.";
}

// Through the program's own command, as the office's administrator runs it:
// the reason on the standard error, the store as it was.
void TstJetImport::badFileLeavesStoreAlone()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    testing::ProgramFolder folder;
    QTemporaryDir dir;
    QString file = dir.path() + QStringLiteral("/tescil.mdb");
    if (kind == QLatin1String("text")) {
        QVERIFY(testing::writeFile(file, "ID;MOTORNO\n1;ABC\n"));
    } else if (kind == QLatin1String("notables") || kind == QLatin1String("password")) {
        file = makeJet(dir.path(), kind);
    } else if (kind != QLatin1String("missing")) {
        QByteArray bytes = testing::contents(makeJet(dir.path(), QStringLiteral("records")));
        if (kind == QLatin1String("truncated"))
            bytes.truncate(bytes.size() / 2 + 100);
        else if (kind == QLatin1String("damaged"))
            bytes.replace(5 * 4096, 4096, QByteArray(4096, '\0')); // ARACKAYIT's first rows
        else
            bytes.replace(2 * 4096, 4096, QByteArray(4096, '\0'));
        QVERIFY(testing::writeFile(file, bytes));
    }
    const testing::ProgramRun run =
        testing::runProgram(folder, { QStringLiteral("--import-jet"), file });
    QCOMPARE(run.code, 1);
    QVERIFY2(run.errors.contains(
                 QStringLiteral("Jet dosyasından aktarılmadı:\n") + file + QLatin1Char('\n'))
            && run.errors.contains(reason)
            && run.errors.contains(QStringLiteral("Kayıt deposu değiştirilmedi.")),
        qPrintable(run.errors));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(testing::rowCount(folder.storePath(), "ARACKAYIT"), 0);
    QCOMPARE(testing::rowCount(folder.storePath(), "ARACSAHIPLERI"), 0);
}

void TstJetImport::brandsJoinTheList()
{
    testing::ScriptedMessages messages;
    testing::ProgramFolder folder;
    QTemporaryDir dir;
    const QString file = makeJet(dir.path(), QStringLiteral("brands"));
    auto count = [](const QString &where) {
        QString n;
        testing::sqlExec(dataFilePath(VehiclesData),
            ("SELECT count(*) FROM Araclar WHERE " + where).toUtf8(), &n);
        return n.toInt();
    };
    QSqlDatabase db;
    QVERIFY(OpenData(db, VehiclesData)); // made from its template
    CloseDb(db);
    const int shipped = count(QStringLiteral("1"));
    const JetImportOutcome done = importJetBrands(file);
    QVERIFY2(done.ok, qPrintable(done.text));
    QCOMPARE(done.read, 7LL);
    QCOMPARE(done.changed,
        (QStringList { QStringLiteral("Araclar satırı 6: Marka boş; alınmadı."),
            QStringLiteral("Araclar satırı 7: Marka \"%1\" 60 harften uzun; alınmadı.")
                .arg(QString(70, QLatin1Char('X'))) }));
    QCOMPARE(count(QStringLiteral("Marka = 'FIAT' AND Model = 'DOĞAN SLX'")), 1);
    QCOMPARE(count(QStringLiteral("Tip = 'A' AND Marka = 'TOFAŞ' AND Model = 'ŞAHİN 1.6'")), 1);
    QCOMPARE(count(QStringLiteral("Marka = 'Çağdaş Motor' AND Model = 'Ünal Gül'")), 1);
    QCOMPARE(count(QStringLiteral("1")), shipped + int(done.written));
    // Brought again: every pair is there already.
    const JetImportOutcome again = importJetBrands(file);
    QVERIFY(again.ok);
    QCOMPARE(again.written, 0LL);
    QCOMPARE(count(QStringLiteral("1")), shipped + int(done.written));
}

void TstJetImport::clerkImportsFromAboutWindow()
{
    testing::Program p;
    QTemporaryDir dir;
    const QString file = makeJet(dir.path(), QStringLiteral("records"), 30);
    // "Hayır" to the question: nothing happens.
    p.messages.answerNext(platform::MsgAnswer::No);
    p.window->importFromJet(file);
    QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("Dikkat") });
    QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACKAYIT"), 0);
    // "Evet": the records come over and the summary says so.
    p.messages.reset();
    p.messages.answerNext(platform::MsgAnswer::Yes);
    p.window->importFromJet(file);
    QCOMPARE(
        p.messages.titles(), (QStringList { QStringLiteral("Dikkat"), QStringLiteral("Bilgi") }));
    QVERIFY2(p.messages.shown().last().text.contains(
                 QStringLiteral("ARACKAYIT: 30 satır okundu, 30 satır yazıldı.")),
        qPrintable(p.messages.shown().last().text));
    QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACKAYIT"), 30);
    // The button sits beside the restore in the about window.
    bool found = false;
    testing::whenModal([&](QWidget *about) {
        auto *button = about->findChild<QPushButton *>(QStringLiteral("cmdJetAktar"));
        found = button && about->findChild<QPushButton *>(QStringLiteral("cmdGeriYukle"));
        about->close();
        return true;
    });
    p.window->showAbout();
    QVERIFY(found);
}

QTEST_MAIN(TstJetImport)
#include "tst_jetimport.moc"
