#include "pgcluster.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <pwd.h>
#include <unistd.h>

namespace {

const char *const kRole = "evrakmatik";

bool asRoot()
{
    return ::geteuid() == 0;
}

// Gives path to the user the server runs as.
void handOver(const QString &path)
{
    if (!asRoot())
        return;
    if (const passwd *pw = ::getpwnam("nobody"))
        (void)::chown(QFile::encodeName(path).constData(), pw->pw_uid, pw->pw_gid);
}

} // namespace

// As root the server's user must reach the folder: a TMPDIR under root's home
// would not let it.
PgCluster::PgCluster()
    : dir_((asRoot() ? QStringLiteral("/tmp") : QDir::tempPath())
        + QStringLiteral("/evrakmatik-pg-XXXXXX"))
{
}

PgCluster::~PgCluster()
{
    stop();
}

QString PgCluster::binFolder()
{
    for (const char *candidate : { "/usr/lib/postgresql/15/bin", "/usr/lib/postgresql/16/bin" }) {
        if (QFileInfo::exists(QLatin1String(candidate) + QStringLiteral("/initdb")))
            return QLatin1String(candidate);
    }
    return {};
}

bool PgCluster::run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess p;
    QString exe = program;
    QStringList args = arguments;
    // The server's own tools refuse root; the client tools need not run as nobody.
    if (asRoot()
        && (program.endsWith(QLatin1String("initdb"))
            || program.endsWith(QLatin1String("pg_ctl")))) {
        exe = QStringLiteral("runuser");
        args = QStringList {
            QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), program
        } + arguments;
    }
    p.start(exe, args);
    if (!p.waitForStarted(-1)) {
        error_ = QStringLiteral("%1 could not start").arg(exe);
        return false;
    }
    p.closeWriteChannel();
    p.waitForFinished(-1);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (output)
        *output = out.trimmed();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error_ = QStringLiteral("%1 %2 failed: %3%4")
                     .arg(program, arguments.join(QLatin1Char(' ')), out,
                         QString::fromUtf8(p.readAllStandardError()));
        return false;
    }
    return true;
}

bool PgCluster::start()
{
    if (running_)
        return true;
    if (!dir_.isValid() || binFolder().isEmpty()) {
        error_ = QStringLiteral("PostgreSQL server binaries not found (scripts/install-deps.sh "
                                "installs postgresql-15)");
        return false;
    }
    const QString data = dir_.path() + QStringLiteral("/data");
    if (!made_) {
        QDir().mkpath(socketFolder());
        handOver(dir_.path());
        handOver(socketFolder());
        // Trust for the socket in our own folder: no one else can reach it.
        if (!run(tool(QStringLiteral("initdb")),
                QStringList { QStringLiteral("-D"), data }
                    + QStringLiteral("-U evrakmatik -A trust -E UTF8 --locale=C.UTF-8 --no-sync")
                          .split(QLatin1Char(' '))))
            return false;
        made_ = true;
    }
    const QString options = QStringLiteral("-k %1 -c listen_addresses='' -F -p 5432 "
                                           "-c max_connections=40 -c shared_buffers=128MB "
                                           "-c max_wal_size=4GB")
                                .arg(socketFolder());
    if (!run(tool(QStringLiteral("pg_ctl")),
            { QStringLiteral("-D"), data, QStringLiteral("-l"),
                dir_.path() + QStringLiteral("/server.log"), QStringLiteral("-w"),
                QStringLiteral("-t120"), QStringLiteral("-o"), options, QStringLiteral("start") }))
        return false;
    running_ = true;
    // The server answering on the socket must be this one.
    QString where;
    if (!psql(QStringLiteral("postgres"), QStringLiteral("SHOW data_directory"), &where)
        || QFileInfo(where).canonicalFilePath() != QFileInfo(data).canonicalFilePath()) {
        error_ = QStringLiteral("the server on %1 is not ours (%2)").arg(socketFolder(), where);
        return false;
    }
    return true;
}

bool PgCluster::stop()
{
    if (!running_)
        return true;
    running_ = false;
    return run(tool(QStringLiteral("pg_ctl")),
        { QStringLiteral("-D"), dir_.path() + QStringLiteral("/data"),
            QStringLiteral("-mimmediate"), QStringLiteral("-w"), QStringLiteral("stop") });
}

QString PgCluster::connection(const QString &database) const
{
    return QStringLiteral("host=%1 port=5432 dbname=%2 user=%3")
        .arg(socketFolder(), database, QLatin1String(kRole));
}

QStringList PgCluster::psqlArguments(const QString &database) const
{
    return QStringLiteral("-X -q -A -t -v ON_ERROR_STOP=1 -d").split(QLatin1Char(' '))
        << connection(database);
}

bool PgCluster::psql(const QString &database, const QString &sql, QString *output)
{
    return run(tool(QStringLiteral("psql")),
        psqlArguments(database) + QStringList { QStringLiteral("-c"), sql }, output);
}

bool PgCluster::createDatabase(const QString &database)
{
    return psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(database));
}
