#pragma once

#include "platform/messages.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QVector>

#include <functional>
#include <memory>

namespace app {
class MainWindow;
}
class PgCluster;

namespace testing {

// Answers message boxes from a queue (OK or Yes when the queue is empty),
// records every box shown and every request to end the process.
class ScriptedMessages final : public platform::MessageService {
public:
    ScriptedMessages() { platform::setMessageService(this); }
    ~ScriptedMessages() override { platform::setMessageService(nullptr); }

    void answerNext(platform::MsgAnswer answer) { answers_.push_back(answer); }
    platform::MsgAnswer show(const platform::MessageRequest &request) override;
    void endProcess(int) override { ++exits_; }

    const QVector<platform::MessageRequest> &shown() const { return shown_; }
    int exits() const { return exits_; }
    // Titles of the boxes shown, in order.
    QStringList titles() const;
    void reset();

private:
    QVector<platform::MsgAnswer> answers_;
    QVector<platform::MessageRequest> shown_;
    int exits_ = 0;
};

// A fresh program folder with the built templates, and a margins folder, set
// as the program's folders for the life of the object.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withTemplates = true);
    ~ProgramFolder();
    QString path() const { return dir_.path() + QStringLiteral("/program"); }
    QString storePath() const { return path() + QStringLiteral("/data/tescil.mdb"); }
    QString marginFolder() const { return dir_.path() + QStringLiteral("/margins"); }

private:
    QTemporaryDir dir_;
};

// Copies the built templates into folder/MDQ.
void copyTemplates(const QString &folder);

// A main window on a fresh program folder, loaded as at start-up.
struct Program {
    ScriptedMessages messages;
    ProgramFolder folder;
    std::unique_ptr<app::MainWindow> window;
    Program();
    ~Program();
};

// --- app area: files, stores, helper processes and data tables ---

QByteArray contents(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);

// Runs sql on the SQLite file at path over a connection of its own (never
// creating the file); value gets the first column of the last row.
bool sqlExec(const QString &path, const QByteArray &sql, QString *value = nullptr);
// Rows of table, or -1 when the file or table cannot be read.
int rowCount(const QString &path, const char *table);

// Files may not grow past `bytes` while it lives: the next write that needs
// room fails as on a full disk. apply() does the same for a child process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit() { apply(qint64(old_)); } // RLIM_INFINITY comes back as itself
    static void apply(qint64 bytes);

private:
    unsigned long long old_ = 0;
};

// The crash child (see crashchild.cpp), reporting one line per step done.
class CrashChild {
public:
    explicit CrashChild(const QStringList &args)
    {
        process_.start(QStringLiteral(EVRAKMATIK_CRASH_CHILD), args);
    }
    ~CrashChild() { stop(); }
    // Waits for the child's own n-th line, left unread; false if it stops first.
    bool waitForLines(int n);
    // Killed where it is; the lines it reported.
    QStringList kill();
    // Its input closed, as a program that is told to go.
    void stop();
    QString errors() { return QString::fromLocal8Bit(process_.readAllStandardError()); }
    bool running() const { return process_.state() == QProcess::Running; }

private:
    QProcess process_;
};

// --- the shared store on a throwaway PostgreSQL server ---

// The process's one server, started on first use, stopped when the
// application object goes.
PgCluster &pgCluster();

// While it lives, the program's record store is a fresh, empty database on
// that server (with active false, the local store as ever).
class SharedStoreScope {
public:
    explicit SharedStoreScope(bool active = true);
    ~SharedStoreScope();
    bool ok() const { return ok_; }
    const QString &error() const { return error_; }
    const QString &connection() const { return connection_; }

private:
    bool ok_ = true;
    QString error_;
    QString connection_;
};

// Adds the QtTest column "engine" with the rows "sqlite" and "postgresql".
void addEngineRows();
// The scope for the engine of the current row.
inline bool isPostgresRow(const QString &engine)
{
    return engine == QLatin1String("postgresql");
}

// Once the event loop runs (a modal window's own included), offers each
// modal window shown to act until it takes one (returns true).
void whenModal(const std::function<bool(QWidget *)> &act);

// Adds the rows of tests/data/<name>.tsv as a QtTest table: the first line
// names the (QString) columns, the first column of each row is its name.
void addRows(const QString &name);

} // namespace testing

// Records (entry screen, save and load): a whole transaction and what the save keeps of it.
#include <QStringList>
#include <QVariant>
namespace records {
class EntryScreen;
}
namespace testing {

// A whole transaction typed as a clerk would: every box a distinct value,
// three owners, ticks, options, lists and dates.
void typeTransaction(records::EntryScreen &s);

// Every control that the save stores, one "control=value" line each.
QStringList snapshot(const records::EntryScreen &s);

// A fresh window: nothing chosen anywhere.
void resetChoices(records::EntryScreen &s);

// SQL on the record store: the first column of every row; a statement that must succeed.
QVariantList storeColumn(const QString &sql);
bool storeExec(const QString &sql);

} // namespace testing

// Entry screen and app faults: the program itself, run as the clerk's scripts run it.
namespace testing {

// `evrakmatik --print-pdf form --id id --out out` on folder, in a child whose
// files may not grow past fileLimit bytes (0: no limit). The exit code (-1 if
// it crashed or hung); errors gets its standard error, trimmed.
int printPdf(const ProgramFolder &folder, const char *form, qint64 id, const QString &out,
    QString *errors, qint64 fileLimit = 0);

// What a run of the program said and how it ended (code -1: crashed or hung).
struct ProgramRun {
    int code = -1;
    QString out;
    QString errors;
};

// The program with args after --program-folder and --margin-folder of folder,
// its home inside folder, env added to the test's environment, its files no
// bigger than fileLimit bytes (0: no limit).
ProgramRun runProgram(const ProgramFolder &folder, const QStringList &args,
    const QProcessEnvironment &env = {}, qint64 fileLimit = 0);

} // namespace testing
