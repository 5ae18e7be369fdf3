// Prints one figure a line, "name: value ms", each the median of several runs.
#include "app/appstate.h"
#include "app/backups.h"
#include "app/compaction.h"
#include "app/datafiles.h"
#include "app/jetimport.h"
#include "app/mainwindow.h"
#include "app/sharedstore.h"
#include "app/startup.h"
#include "app/storemove.h"
#include "pgcluster.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/report.h"
#include "platform/reportpainter.h"
#include "printing/reportviewer.h"
#include "records/entryscreen.h"
#include "records/loadrecord.h"
#include "records/recordlist.h"
#include "records/recordlistmodel.h"
#include "records/returningowner.h"
#include "records/saverecord.h"
#include "records/searchindex.h"
#include "storefiller.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QProcess>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <libpq-fe.h>
#include <malloc.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

class SilentMessages final : public platform::MessageService {
public:
    platform::MsgAnswer show(const platform::MessageRequest &r) override
    {
        if (r.title == QLatin1String("GENEL HATA"))
            std::fprintf(stderr, "error box: %s\n", qPrintable(r.text));
        return platform::MsgAnswer::Ok;
    }
    void endProcess(int) override { }
};

// A page of 120 filled fields, as dense as the EK-1 back page.
class DensePage final : public platform::Report {
public:
    DensePage()
    {
        name = QStringLiteral("bench");
        caption = QStringLiteral("Deneme");
        tools.resize(27);
        for (int i = 0; i < 120; ++i) {
            platform::ReportField f;
            f.name = QStringLiteral("Field%1").arg(i + 1);
            f.rect = QRect(600 + (i % 3) * 3300, 500 + (i / 3) * 380, 3000, 315);
            f.align = i % 2 ? Qt::AlignHCenter : Qt::AlignLeft;
            f.pointSize = 9;
            f.text = QStringLiteral("ÇAĞLAR ŞİMŞEK %1 İĞÜŞÖÇ").arg(i);
            fields << f;
        }
    }
    void run() override { }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double timeOnce(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

double medianOf(int runs, const std::function<void()> &f)
{
    std::vector<double> v;
    for (int i = 0; i < runs; ++i)
        v.push_back(timeOnce(f));
    return median(v);
}

void print(const char *name, double ms)
{
    std::printf("%s: %.2f ms\n", name, ms);
    std::fflush(stdout);
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// The peak resident size since the last resetPeak() (the kernel's high-water
// mark), so an engine's figure is not that of building its store.
long peakResidentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void resetPeak()
{
    malloc_trim(0); // what the store's building freed goes back to the system first
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// The list's rows through the SQLite C API alone, for comparison: the same
// SQL the list ran before it read in slices, planned by the engine.
double bareListQuery(const QString &path, bool sorted = false)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const double ms = timeOnce([db, sorted] {
        sqlite3_stmt *st = nullptr;
        const std::string sql =
            "SELECT K.ID, (SELECT trim(coalesce(S.AD, '') || ' ' || coalesce(S.SOYAD, '')) "
            "FROM ARACSAHIPLERI S WHERE S.ARACID = K.ID ORDER BY S.SAHIPNO, S.ID LIMIT 1), "
            "K.ESKIPLAKA, K.YENIPLAKA, K.SASENO, K.MOTORNO FROM ARACKAYIT K "
            + std::string(sorted ? "NOT INDEXED " : "") + "WHERE K.ID > 0 ORDER BY K.ESKIPLAKA";
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        size_t bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 1; c < 6; ++c)
                bytes += size_t(sqlite3_column_bytes(st, c));
        }
        sqlite3_finalize(st);
        (void)bytes;
    });
    sqlite3_close(db);
    return ms;
}

// The same query as the SQLite bare figure, on the server through libpq
// alone, over a connection of its own, the whole result in memory.
double barePgListQuery(const QString &connection)
{
    PGconn *c = PQconnectdb(connection.toUtf8().constData());
    const double ms = timeOnce([c] {
        PGresult *r = PQexec(c,
            "SELECT K.ID, (SELECT trim(coalesce(S.AD, '') || ' ' || coalesce(S.SOYAD, '')) "
            "FROM ARACSAHIPLERI S WHERE S.ARACID = K.ID ORDER BY S.SAHIPNO, S.ID LIMIT 1), "
            "K.ESKIPLAKA, K.YENIPLAKA, K.SASENO, K.MOTORNO FROM ARACKAYIT K WHERE K.ID > 0 "
            "ORDER BY K.ESKIPLAKA");
        size_t bytes = 0;
        for (int i = 0, n = PQntuples(r); i < n; ++i)
            for (int col = 1; col < 6; ++col)
                bytes += size_t(PQgetlength(r, i, col));
        (void)bytes;
        PQclear(r);
    });
    PQfinish(c);
    return ms;
}

// "Ara" on the open list: from the text typed to the first screenful of
// matches painted, for a surname many records share, a whole identity
// number, the last five characters of a chassis number, and a word found
// nowhere; find_first_ms is the slowest of them.
void findFigures(const char *prefix, app::MainWindow &window, int count, int runs)
{
    auto name = [prefix](const char *n) { return std::string(prefix) + n; };
    QString identity;
    QString chassis;
    {
        QSqlDatabase db;
        app::OpenData(db, app::RecordStoreData);
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT KIMLIKNO FROM ARACSAHIPLERI WHERE ARACID = %1 ORDER BY ID")
                   .arg(count / 2));
        if (q.next())
            identity = q.value(0).toString();
        q.exec(QStringLiteral("SELECT SASENO FROM ARACKAYIT WHERE ID = %1").arg(count / 3));
        if (q.next())
            chassis = q.value(0).toString().right(5);
        q = QSqlQuery();
        app::CloseDb(db);
    }
    records::RecordList &list = window.recordList();
    QLineEdit *ara = list.txtAra();
    const struct {
        const char *name;
        const char *matches;
        QString text;
    } finds[] = { { "find_first_surname_ms", "find_matches_surname", QStringLiteral("yilmaz") },
        { "find_first_identity_ms", "find_matches_identity", identity },
        { "find_first_chassis_ms", "find_matches_chassis", chassis },
        { "find_first_nothing_ms", "find_matches_nothing", QStringLiteral("QXZWVK") } };
    double slowest = 0;
    for (const auto &f : finds) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            ara->clear();
            // The list's grid is what a key repaints; the entry screen
            // under it stays as it was.
            times.push_back(timeOnce([&] {
                ara->setText(f.text);
                window.entryScreen().sprX()->grab();
            }));
        }
        std::printf("%s: %d\n", name(f.matches).c_str(), list.found().rowCount());
        print(name(f.name).c_str(), median(times));
        slowest = std::max(slowest, median(times));
    }
    ara->clear();
    print(name("find_first_ms").c_str(), slowest);

    // What keeping the index in step adds to a save: one record's row made
    // anew inside a transaction, rolled back (the save's own sync is not in it).
    QSqlDatabase db;
    app::OpenData(db, app::RecordStoreData);
    QRandomGenerator r(13);
    print(name("find_save_share_ms").c_str(), medianOf(runs, [&] {
        QString error;
        db.transaction();
        const qint64 id = r.bounded(1, count + 1);
        QString before;
        records::SearchIndex::textBefore(db, id, &before, &error);
        records::SearchIndex::refresh(db, id, before, &error);
        db.rollback();
    }));
    app::CloseDb(db);
}

// The figures of one engine, each name with prefix before it: save, load,
// the list's fill beside its bare queries (bare, then any others named), the
// open list's memory and a search keystroke.
struct BareQuery {
    const char *name;
    std::function<double()> run;
};
// --only-find: the store, its index and the "Ara" figures alone.
bool g_onlyFind = false;

void entryFigures(const char *prefix, app::MainWindow &window, int count, int runs, int &serial,
    const std::vector<BareQuery> &bares)
{
    auto name = [prefix](const char *n) { return std::string(prefix) + n; };
    records::EntryScreen &screen = window.entryScreen();
    if (g_onlyFind) {
        screen.cmdBUL()->click();
        while (window.recordList().filling())
            QCoreApplication::processEvents();
        findFigures(prefix, window, count, runs);
        window.recordList().close();
        return;
    }
    // Save: a new three-owner record each run.
    std::vector<double> saves;
    for (int i = 0; i < runs + 2; ++i) {
        typeTransaction(screen, ++serial);
        const double ms = timeOnce([&] { records::Kaydet(screen, QString()); });
        if (i >= 2) // the first runs warm the caches
            saves.push_back(ms);
    }
    print(name("save_ms").c_str(), median(saves));
    print(name("resave_ms").c_str(), medianOf(runs, [&] { records::Kaydet(screen, QString()); }));
    QRandomGenerator r(7);
    print(name("load_ms").c_str(),
        medianOf(runs, [&] { records::OKU(screen, r.bounded(1, count + 1)); }));

    // "Bul": from the click to the first screenful painted, to every row
    // arrived with the grid painted again (the owners on screen included),
    // and to the last owner off screen, the event loop running between.
    resetPeak();
    const long rssBefore = residentKb();
    long listPeak = 0;
    std::vector<double> firsts, fills, owners;
    std::vector<std::vector<double>> bareTimes(bares.size());
    records::RecordList &list = window.recordList();
    for (int i = 0; i < qMin(runs, 5); ++i) {
        QElapsedTimer clock;
        clock.start();
        screen.cmdBUL()->click();
        window.grab();
        firsts.push_back(clock.nsecsElapsed() / 1e6);
        while (list.rowsArriving())
            QCoreApplication::processEvents();
        window.grab();
        fills.push_back(clock.nsecsElapsed() / 1e6);
        while (list.filling())
            QCoreApplication::processEvents();
        owners.push_back(clock.nsecsElapsed() / 1e6);
        listPeak = std::max(listPeak, peakResidentKb());
        // The bare queries hold their whole result; their memory is not the list's.
        for (size_t b = 0; b < bares.size(); ++b)
            bareTimes[b].push_back(bares[b].run());
        resetPeak();
        list.close();
    }
    print(name("list_first_rows_ms").c_str(), median(firsts));
    print(name("list_fill_ms").c_str(), median(fills));
    print(name("list_owners_ms").c_str(), median(owners));
    for (size_t b = 0; b < bares.size(); ++b)
        print(name(bares[b].name).c_str(), median(bareTimes[b]));
    list.fill();
    list.finishFill();
    std::printf(
        "%s: %.1f MB\n", name("list_rss_growth_mb").c_str(), (residentKb() - rssBefore) / 1024.0);
    listPeak = std::max(listPeak, peakResidentKb());
    std::printf("%s: %.1f MB\n", name("peak_rss_mb").c_str(), listPeak / 1024.0);

    const records::RecordListModel &model = list.model();
    double slowest = 0;
    for (int column = 0; column < 5; ++column) {
        // A prefix first found near the end of the list, and one found nowhere.
        const QString late = model.cell(model.rowCount() - 3, column);
        for (const QString &prefix : { late, QStringLiteral("ZZZZQ") }) {
            QLineEdit *box = screen.txtara(column);
            box->clear();
            slowest = std::max(slowest, medianOf(runs, [&] {
                box->setText(prefix);
                box->setText(QString());
            }) / 2);
        }
    }
    print(name("search_keystroke_ms").c_str(), slowest);
    findFigures(prefix, window, count, runs);
    list.close();
}

// The identity number of the first owner of record id, read outside the program.
QString storedOwnerNumber(const QString &path, int id)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(
        db, "SELECT KIMLIKNO FROM ARACSAHIPLERI WHERE ARACID = ? LIMIT 1", -1, &st, nullptr);
    sqlite3_bind_int(st, 1, id);
    QString number;
    if (sqlite3_step(st) == SQLITE_ROW)
        number = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return number;
}

double bareVacuumInto(const QString &from, const QString &to)
{
    QFile::remove(to);
    sqlite3 *db = nullptr;
    sqlite3_open(from.toUtf8().constData(), &db);
    const QByteArray sql = "VACUUM INTO '" + to.toUtf8() + "'";
    const double ms =
        timeOnce([&] { sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr); });
    sqlite3_close(db);
    return ms;
}

// The SQLite figures, those of the list and the exit beside its bare query.
void sqliteFigures(app::MainWindow &window, const QString &store, int count, int runs, int &serial,
    QTemporaryDir &dir)
{
    // The sorted query reads the same rows by a full scan and a sort, as the
    // list read them before it read from the index: faster to the last row,
    // but no row before the sort ends.
    entryFigures("", window, count, runs, serial,
        { { "list_query_bare_ms", [&] { return bareListQuery(store); } },
            { "list_query_sorted_bare_ms", [&] { return bareListQuery(store, true); } } });
    if (g_onlyFind)
        return;

    // A returning customer: the owner's number looked up, found or not.
    QRandomGenerator r(11);
    std::vector<double> lookups;
    for (int i = 0; i < runs; ++i) {
        const QString stored = storedOwnerNumber(store, r.bounded(1, count + 1));
        lookups.push_back(timeOnce([&] { records::findStoredOwner(stored); }));
        lookups.push_back(timeOnce([&] { records::findStoredOwner(stored + QLatin1Char('9')); }));
    }
    print("owner_lookup_ms", median(lookups));

    DensePage page;
    print("render_pdf_page_ms", medianOf(runs, [&] {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(1200);
        platform::preparePagedDevice(pdf, page);
        QPainter painter(&pdf);
        platform::paintReportPage(painter, page);
    }));
    {
        printing::ReportViewer viewer(page);
        viewer.resize(1000, 800);
        viewer.show();
        print("render_preview_page_ms", medianOf(runs, [&] {
            viewer.preview()->updatePreview();
            viewer.preview()->grab();
        }));
    }

    std::vector<double> compact, vacuum;
    const QString copy = dir.filePath(QStringLiteral("kopya.mdb"));
    for (int i = 0; i < qMin(runs, 5); ++i) {
        QFile::remove(copy);
        QFile::remove(copy + QLatin1Char('x'));
        QFile::copy(store, copy);
        compact.push_back(timeOnce([&] { app::CompactData(copy); }));
        vacuum.push_back(bareVacuumInto(store, dir.filePath(QStringLiteral("bos.mdb"))));
    }
    print("compact_ms", median(compact));
    print("vacuum_into_bare_ms", median(vacuum));

    // The whole exit on the store itself: the compaction, then the day's
    // checked backup (a new day each run, so the rotation has files to walk).
    std::vector<double> exits, backups;
    for (int i = 0; i < qMin(runs, 5); ++i) {
        const QDate day = QDate(2026, 1, 1).addDays(i);
        exits.push_back(timeOnce([&] {
            app::CompactData(store);
            app::backUpRecordStore(store, day);
        }));
        backups.push_back(timeOnce([&] { app::backUpRecordStore(store, day); }));
    }
    print("exit_ms", median(exits));
    print("backup_ms", median(backups));
}

// The import of an office's Jet file (records records, three owners each,
// from the test-support generator) into a fresh, empty store, read back and
// compared: each run on a program folder of its own.
void jetImportFigure(const QTemporaryDir &dir, int records, int runs)
{
    const QString file = dir.filePath(QStringLiteral("tescil-jet.mdb"));
    if (QProcess::execute(QStringLiteral("python3"),
            { QStringLiteral(EVRAKMATIK_JETGEN), QStringLiteral("bench"), file,
                QString::number(records) })
        != 0) {
        std::fprintf(stderr, "the Jet file could not be made\n");
        return;
    }
    const QString before = app::folders().program;
    std::vector<double> times;
    for (int i = 0; i < qMin(runs, 3); ++i) {
        const QString program = dir.filePath(QStringLiteral("jet%1").arg(i));
        QDir().mkpath(program + QStringLiteral("/MDQ"));
        for (const QString &name : QDir(before + QStringLiteral("/MDQ")).entryList(QDir::Files))
            QFile::copy(
                before + QStringLiteral("/MDQ/") + name, program + QStringLiteral("/MDQ/") + name);
        app::folders().program = program;
        app::upgradeRecordStore();
        times.push_back(timeOnce([&] {
            const app::JetImportOutcome done = app::importJetRecords(file);
            if (!done.ok || done.written != 4LL * records)
                std::fprintf(stderr, "the Jet import failed: %s\n", qPrintable(done.text));
        }));
    }
    app::folders().program = before;
    std::printf("jet_records: %d\n", records);
    print("import_jet_ms", median(times));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    app::prepareApplication(application);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption recordsOption(QStringLiteral("records"),
        QStringLiteral("Records in the store."), QStringLiteral("N"), QStringLiteral("100000"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Runs a figure."),
        QStringLiteral("N"), QStringLiteral("9"));
    const QCommandLineOption keepOption(
        QStringLiteral("keep"), QStringLiteral("Keep the program folder it made."));
    const QCommandLineOption engineOption(QStringLiteral("engine"),
        QStringLiteral("Record store engine: sqlite, postgresql (a throwaway local server, "
                       "figures prefixed pg_) or both."),
        QStringLiteral("ENGINE"), QStringLiteral("sqlite"));
    parser.addOption(recordsOption);
    parser.addOption(runsOption);
    parser.addOption(engineOption);
    parser.addOption(keepOption);
    const QCommandLineOption onlyFindOption(QStringLiteral("only-find"),
        QStringLiteral("Only the store, its search index and the \"Ara\" figures."));
    parser.addOption(onlyFindOption);
    const QCommandLineOption jetOption(QStringLiteral("jet-records"),
        QStringLiteral("Records in the Jet file import_jet_ms brings over."), QStringLiteral("N"),
        QStringLiteral("10000"));
    parser.addOption(jetOption);
    parser.process(application);
    const int count = parser.value(recordsOption).toInt();
    const int runs = qMax(1, parser.value(runsOption).toInt());
    const QString engine = parser.value(engineOption);
    const bool onSqlite = engine == QLatin1String("sqlite") || engine == QLatin1String("both");
    const bool onPostgres =
        engine == QLatin1String("postgresql") || engine == QLatin1String("both");
    if (!onSqlite && !onPostgres) {
        std::fprintf(stderr, "--engine sqlite, postgresql or both\n");
        return 2;
    }

    SilentMessages messages;
    platform::setMessageService(&messages);
    QTemporaryDir dir;
    dir.setAutoRemove(!parser.isSet(keepOption));
    if (parser.isSet(keepOption))
        std::printf("folder: %s\n", qPrintable(dir.path()));
    const QString program = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(program + QStringLiteral("/data"));
    QDir().mkpath(program + QStringLiteral("/MDQ"));
    const QString shipped = platform::executableFolder() + QStringLiteral("/MDQ");
    for (const QString &name : QDir(shipped).entryList(QDir::Files))
        QFile::copy(shipped + QLatin1Char('/') + name, program + QStringLiteral("/MDQ/") + name);
    app::folders().program = program;
    app::folders().margin = dir.filePath(QStringLiteral("margins"));
    const QString store = app::dataFilePath(app::RecordStoreData);
    QFile::copy(program + QStringLiteral("/MDQ/tescil.mdq"), store);
    QFile::setPermissions(store, QFile::ReadOwner | QFile::WriteOwner);

    std::printf("records: %d\n", count);
    print("build_store_ms", timeOnce([&] { fillStore(store, count); }));

    {
        // The search index as the start-up upgrade makes it, and what it adds
        // to the store's file.
        const qint64 before = QFileInfo(store).size();
        QSqlDatabase db;
        app::OpenData(db, app::RecordStoreData);
        QString error;
        print(
            "find_index_build_ms", timeOnce([&] { records::SearchIndex::build(db, {}, &error); }));
        app::CloseDb(db);
        if (!error.isEmpty())
            std::fprintf(stderr, "index: %s\n", qPrintable(error));
        std::printf("store_mb: %.1f MB\n", before / 1048576.0);
        std::printf("find_index_mb: %.1f MB\n", (QFileInfo(store).size() - before) / 1048576.0);
    }
    app::MainWindow window;
    window.load();
    window.show();
    int serial = 0;
    g_onlyFind = parser.isSet(onlyFindOption);
    if (onSqlite)
        sqliteFigures(window, store, count, runs, serial, dir);
    if (onSqlite && !g_onlyFind)
        jetImportFigure(dir, parser.value(jetOption).toInt(), runs);
    if (onPostgres) {
        // The same records on a server of the bench's own, copied in bulk.
        PgCluster cluster;
        if (!cluster.start() || !cluster.createDatabase(QStringLiteral("bench"))) {
            std::fprintf(stderr, "%s\n", qPrintable(cluster.error()));
            return 1;
        }
        const QString connection = cluster.connection(QStringLiteral("bench"));
        const double built = timeOnce([&] {
            // By the program's own command, in a process of its own, so the
            // copy's memory is not counted in the figures below.
            QProcess move;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            QDir().mkpath(dir.filePath(QStringLiteral("home")));
            env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
            move.setProcessEnvironment(env);
            move.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            move.start(platform::executableFolder() + QStringLiteral("/evrakmatik"),
                { QStringLiteral("--program-folder"), program, QStringLiteral("--margin-folder"),
                    app::folders().margin, QStringLiteral("--shared-store"), connection,
                    QStringLiteral("--move-store"), QStringLiteral("shared") });
            if (!move.waitForFinished(-1) || move.exitCode() != 0)
                std::fprintf(stderr, "the move into the server failed\n");
            app::sharedStore().connection = connection;
            QSqlDatabase server;
            app::OpenData(server, app::RecordStoreData);
            // Planner statistics, and the bulk load's dirty pages written out,
            // so the figures are of a store in use, not of one just loaded.
            QSqlQuery(server).exec(QStringLiteral("VACUUM ANALYZE"));
            QSqlQuery(server).exec(QStringLiteral("CHECKPOINT"));
            app::CloseDb(server);
        });
        print("pg_build_store_ms", built);
        app::sharedStore().connection = connection;
        {
            QSqlDatabase server;
            app::OpenData(server, app::RecordStoreData);
            QString error;
            print("pg_find_index_build_ms",
                timeOnce([&] { records::SearchIndex::build(server, {}, &error); }));
            if (!error.isEmpty())
                std::fprintf(stderr, "index: %s\n", qPrintable(error));
            QSqlQuery q(server);
            q.exec(QStringLiteral("VACUUM ANALYZE ARAMA"));
            // The store is the database, as the file is on SQLite: the
            // record tables, their lookups and the catalogue.
            // A large store's index is in parts: each part's size counted.
            q.exec(QStringLiteral("WITH a AS (SELECT sum(pg_total_relation_size(relid)) AS total, "
                                  "sum(pg_indexes_size(relid)) AS indexes FROM (SELECT relid FROM "
                                  "pg_partition_tree('arama') UNION SELECT 'arama'::regclass) t) "
                                  "SELECT a.total, pg_total_relation_size('arackayit') + "
                                  "pg_total_relation_size('aracsahipleri'), a.indexes, "
                                  "pg_database_size(current_database()) - a.total FROM a"));
            if (q.next()) {
                std::printf("pg_store_mb: %.1f MB (the record tables %.1f MB)\n",
                    q.value(3).toLongLong() / 1048576.0, q.value(1).toLongLong() / 1048576.0);
                std::printf("pg_find_index_mb: %.1f MB (the texts' table %.1f MB, its indexes "
                            "%.1f MB)\n",
                    q.value(0).toLongLong() / 1048576.0,
                    (q.value(0).toLongLong() - q.value(2).toLongLong()) / 1048576.0,
                    q.value(2).toLongLong() / 1048576.0);
            }
            q = QSqlQuery();
            app::CloseDb(server);
        }
        entryFigures("pg_", window, count, runs, serial,
            { { "list_query_bare_ms", [&] { return barePgListQuery(connection); } } });
        app::sharedStore() = app::SharedStore();
    }
    return 0;
}
