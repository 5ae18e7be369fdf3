#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A PostgreSQL server of its own for a test or the bench: a cluster made by
// initdb in a temporary folder, reached only through a socket in that folder
// (no TCP), stopped and removed by the destructor. As root the server runs as
// the unprivileged user "nobody", as PostgreSQL requires.
class PgCluster {
public:
    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster &) = delete;
    PgCluster &operator=(const PgCluster &) = delete;

    // initdb (first time only) and start; false with error() set when a
    // tool is missing or the server did not come up.
    bool start();
    // Stops the server at once (as a crash would), keeping its files.
    bool stop();
    bool isRunning() const { return running_; }
    const QString &error() const { return error_; }

    // A connection text for database on this server, with no password.
    QString connection(const QString &database = QStringLiteral("evrakmatik")) const;
    // Makes an empty database.
    bool createDatabase(const QString &database);
    // Runs SQL through psql on database; its output (unaligned, tuples only).
    bool psql(const QString &database, const QString &sql, QString *output = nullptr);
    // Starts psql on database with its input open: for a second session a
    // test drives line by line.
    QStringList psqlArguments(const QString &database) const;
    QString tool(const QString &name) const { return binFolder() + QLatin1Char('/') + name; }
    QString socketFolder() const { return dir_.path() + QStringLiteral("/socket"); }

    // Where the server binaries are (Debian's versioned folder).
    static QString binFolder();

private:
    bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);

    QTemporaryDir dir_;
    bool made_ = false;
    bool running_ = false;
    QString error_;
};
