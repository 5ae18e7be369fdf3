#include "testsupport.h"

#include "app/appstate.h"
#include "app/mainwindow.h"
#include "app/startup.h"

#include <QApplication>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>

namespace testing {

ScriptedMessages::ScriptedMessages()
{
    platform::setMessageService(this);
}

ScriptedMessages::~ScriptedMessages()
{
    platform::setMessageService(nullptr);
}

platform::MsgAnswer ScriptedMessages::show(const platform::MessageRequest &request)
{
    shown_.push_back(request);
    if (!answers_.isEmpty())
        return answers_.takeFirst();
    return request.buttons == platform::MsgButtons::YesNo ? platform::MsgAnswer::Yes
                                                          : platform::MsgAnswer::Ok;
}

void ScriptedMessages::endProcess(int)
{
    ++exits_;
}

QStringList ScriptedMessages::titles() const
{
    QStringList t;
    for (const auto &r : shown_)
        t << r.title;
    return t;
}

void ScriptedMessages::reset()
{
    answers_.clear();
    shown_.clear();
    exits_ = 0;
}

void copyTemplates(const QString &folder)
{
    QDir().mkpath(folder + QStringLiteral("/MDQ"));
    const QDir built(QStringLiteral(EVRAKMATIK_TEST_MDQ));
    for (const QString &name : built.entryList(QDir::Files))
        QFile::copy(built.filePath(name), folder + QStringLiteral("/MDQ/") + name);
}

ProgramFolder::ProgramFolder(bool withTemplates)
{
    QDir().mkpath(path());
    QDir().mkpath(marginFolder());
    if (withTemplates)
        copyTemplates(path());
    app::Folders &f = app::folders();
    f.program = path();
    f.photo = path() + QStringLiteral("/Fotolar");
    f.margin = marginFolder();
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}

ProgramFolder::~ProgramFolder()
{
    app::folders() = app::Folders();
}

QString ProgramFolder::storePath() const
{
    return path() + QStringLiteral("/data/tescil.mdb");
}

// The fonts, texts and formats of the real program, once per test process.
void prepareOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    app::prepareApplication(
        *qApp, QStringLiteral(EVRAKMATIK_TEST_MDQ) + QStringLiteral("/../fonts"));
}

Program::Program()
    : window((prepareOnce(), std::make_unique<app::MainWindow>()))
{
    window->load();
}

Program::~Program() = default;

// --- app area: files, stores, helper processes and data tables ---

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool sqlExec(const QString &path, const QByteArray &sql, QString *value)
{
    sqlite3 *db = nullptr;
    bool ok =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
            == SQLITE_OK
        && sqlite3_exec(
               db, sql.constData(),
               [](void *out, int, char **row, char **) {
                   if (out)
                       *static_cast<QString *>(out) = QString::fromUtf8(row[0]);
                   return 0;
               },
               value, nullptr)
            == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

int rowCount(const QString &path, const char *table)
{
    QString n;
    return sqlExec(path, QByteArray("SELECT count(*) FROM ") + table, &n) ? n.toInt() : -1;
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit r {};
    getrlimit(RLIMIT_FSIZE, &r);
    old_ = r.rlim_cur;
    apply(bytes);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit r {};
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = rlim_t(old_);
    setrlimit(RLIMIT_FSIZE, &r);
}

void FileSizeLimit::apply(qint64 bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit r {};
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &r);
}

CrashChild::CrashChild(const QStringList &args)
{
    process_.start(QStringLiteral(EVRAKMATIK_CRASH_CHILD), args);
}

bool CrashChild::waitForLines(int n)
{
    while (process_.peek(process_.bytesAvailable()).count('\n') < n)
        if (!process_.waitForReadyRead(60000))
            return false;
    return true;
}

QStringList CrashChild::kill()
{
    process_.kill();
    process_.waitForFinished();
    return QString::fromLatin1(process_.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void CrashChild::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished())
        kill();
}

void addRows(const QString &name)
{
    QFile f(QStringLiteral(EVRAKMATIK_TEST_DATA "/") + name + QStringLiteral(".tsv"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("no data file %s", qPrintable(f.fileName()));
    bool header = true;
    while (!f.atEnd()) {
        QString line = QString::fromUtf8(f.readLine());
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (header) {
            // QtTest keeps the pointer to a column's name.
            static QByteArrayList names;
            for (const QString &column : cells.mid(1))
                QTest::addColumn<QString>((names << column.toLatin1()).last().constData());
            header = false;
            continue;
        }
        QTestData &row = QTest::newRow(cells[0].toUtf8().constData());
        for (const QString &cell : cells.mid(1))
            row << cell;
    }
}

} // namespace testing
