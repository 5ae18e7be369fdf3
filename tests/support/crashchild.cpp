// Saves, compacts or backs up records in a loop until it is killed; the crash
// tests kill it at random moments and then look at what it left.
//   evrakmatik-crashchild save DIR FIRST   (reports "ok RECORD VERSION" per commit)
//   evrakmatik-crashchild compact DIR      (reports "ok" per compaction)
//   evrakmatik-crashchild backup DIR       (reports "ok" per exit's backup,
//     each a day later than the last)
//   evrakmatik-crashchild hold DIR MODE [write|unfinished]
//     opens the store as another program would, in journal MODE (wal, delete),
//     optionally adds a record (committed, or in a transaction left open),
//     reads, reports "ready" and keeps the file open until its standard input
//     closes.
//   evrakmatik-crashchild desk DIR CONNECTION DESK COUNT same|own
//     COUNT saves on the shared store, as desk DESK (1, 2...): on five
//     records both desks save, or on records of its own; reports "ready",
//     starts on a line of input, reports "ok RECORD VERSION" per
//     acknowledged save and ends.
#include "app/appstate.h"
#include "app/backups.h"
#include "app/compaction.h"
#include "app/datafiles.h"
#include "app/sharedstore.h"
#include "platform/messages.h"
#include "records/fieldmap.h"
#include "records/recordstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

class QuietMessages final : public platform::MessageService {
public:
    platform::MsgAnswer show(const platform::MessageRequest &r) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(r.text));
        return platform::MsgAnswer::Ok;
    }
    void endProcess(int code) override { std::_Exit(code); }
};

void report(const char *line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// The desk saving, when desks save: its owners are people of its own.
int gDesk = 0;

// A whole record whose every text carries its version.
records::RecordValues version(int record, long long n)
{
    records::RecordValues v;
    const QString stamp = QStringLiteral("v%1").arg(n);
    v.motorNo = QStringLiteral("MOTOR-%1").arg(record);
    v.eskiPlaka = QStringLiteral("YOK");
    const QStringList stamped { "SASENO", "BELGEDUZENLEYEN", "VERGIDAIRESI", "SIGORTAADI",
        "MODELTICARIADI" };
    for (const records::VehicleField &f : records::vehicleFields()) {
        const QString column = QString::fromLatin1(f.column);
        // Wide columns carry the stamp; a long remark makes each save write more.
        if (f.kind == records::FieldKind::Number || f.kind == records::FieldKind::Period)
            v.columns.push_back({ column, double(n) });
        else if (f.kind != records::FieldKind::Text && f.kind != records::FieldKind::TrimmedText)
            continue;
        else if (f.control == 36)
            v.columns.push_back({ column, QString(140, QLatin1Char('x')) });
        else if (stamped.contains(column))
            v.columns.push_back({ column, stamp });
    }
    for (int slot = 1; slot <= 3; ++slot) {
        records::OwnerValues o;
        o.slot = slot;
        o.kimlikNo = QStringLiteral("K%1-%2-%3").arg(record).arg(slot).arg(gDesk);
        o.columns = { { QStringLiteral("AD"), stamp }, { QStringLiteral("SOYAD"), stamp } };
        v.owners.push_back(o);
    }
    return v;
}

// Saves versions first, first + 1... of the records recordOf() names, each
// over a connection of its own, until count saves (or for ever).
int saveLoop(long long first, long long count, const std::function<int(long long)> &recordOf)
{
    for (long long n = first; n - first != count; ++n) {
        const int record = recordOf(n);
        QSqlDatabase db;
        if (!app::OpenData(db, app::RecordStoreData))
            return 1;
        records::StoreError error;
        const bool ok = records::RecordStore(db).save(version(record, n), nullptr, &error);
        app::CloseDb(db);
        if (!ok) {
            std::fprintf(stderr, "%s\n", qPrintable(error.text));
            return 1;
        }
        report(qPrintable(QStringLiteral("ok %1 %2").arg(record).arg(n)));
    }
    return 0;
}

int hold(const QString &store, const char *mode, const QByteArray &write)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(store).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
        != SQLITE_OK)
        return 1;
    // A write too big for the cache spills into the file: the journal left by
    // a kill is hot.
    const QByteArray sql = QByteArray("PRAGMA journal_mode=") + mode + ";"
        + (write == "unfinished" ? "PRAGMA cache_size = 10; BEGIN; INSERT INTO ARACKAYIT "
                                   "(MOTORNO, ESKIPLAKA, HAKLAR) WITH RECURSIVE n(i) AS (SELECT 1 "
                                   "UNION ALL SELECT i + 1 FROM n WHERE i < 500) SELECT 'BASKA-' "
                                   "|| i, 'YOK', printf('%.140c', 'h') FROM n;"
                : write.isEmpty()
                ? ""
                : "INSERT INTO ARACKAYIT (MOTORNO, ESKIPLAKA) VALUES ('BASKA', 'YOK');")
        + "SELECT count(*) FROM ARACKAYIT;";
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 1;
    }
    report("ready");
    while (std::getchar() != EOF) { }
    sqlite3_close(db);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 3)
        return 2;
    QuietMessages messages;
    platform::setMessageService(&messages);
    app::folders().program = QString::fromLocal8Bit(argv[2]);
    const QString store = app::dataFilePath(app::RecordStoreData);
    const QByteArray mode = argv[1];
    if (mode == "hold")
        return argc > 3 ? hold(store, argv[3], argc > 4 ? QByteArray(argv[4]) : QByteArray()) : 2;
    if (mode == "desk" && argc > 6) {
        app::sharedStore().connection = QString::fromLocal8Bit(argv[3]);
        const int desk = QByteArray(argv[4]).toInt();
        gDesk = desk;
        const bool same = qstrcmp(argv[6], "same") == 0;
        // Both desks start together: "ready" once connected, then a line in.
        {
            QSqlDatabase db;
            if (!app::OpenData(db, app::RecordStoreData))
                return 1;
            app::CloseDb(db);
        }
        report("ready");
        if (std::getchar() == EOF)
            return 1;
        const long long first = desk * 100000LL;
        return saveLoop(first, QByteArray(argv[5]).toInt(),
            [=](long long n) { return int(same ? (n - first) % 5 : desk * 1000 + (n - first)); });
    }
    // Each child goes on the day after the newest copy a killed one made, as
    // the calendar does: a day already passed would be a clock set back.
    QDate first(2026, 3, 1);
    for (const app::BackupEntry &e : app::listBackups(app::backupFolder()))
        first = std::max(first,
            QDate::fromString(QFileInfo(e.path).fileName().mid(7, 10), Qt::ISODate).addDays(1));
    for (int day = 0; mode == "compact" || mode == "backup"; ++day) {
        if (mode == "compact")
            app::CompactData(store);
        else
            app::backUpRecordStore(store, first.addDays(day));
        report("ok");
    }
    return saveLoop(argc > 3 ? QByteArray(argv[3]).toLongLong() : 0, -1,
        [](long long n) { return int(n % 20); });
}
