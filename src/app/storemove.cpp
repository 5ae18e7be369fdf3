#include "storemove.h"

#include "records/searchindex.h"

#include "backups.h"
#include "datafiles.h"
#include "platform/messages.h"
#include "platform/pgcopy.h"
#include "platform/storedialect.h"
#include "sharedstore.h"

#include <QDate>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include <cstdio>

namespace app {

namespace {

const char *const kTables[] = { "ARACKAYIT", "ARACSAHIPLERI" };
constexpr int kRowsAStatement = 200;

QString sqlText(const QSqlError &e)
{
    const QString t = e.databaseText().trimmed();
    return t.isEmpty() ? e.text().trimmed() : t;
}

bool countRows(QSqlDatabase &db, const QString &table, qint64 *count, QString *error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table)) || !q.next()) {
        *error = QStringLiteral("%1 sayılamadı: %2").arg(table, sqlText(q.lastError()));
        return false;
    }
    *count = q.value(0).toLongLong();
    return true;
}

// The columns of table both stores have, in the source's order.
QStringList sharedColumns(const QSqlDatabase &from, const QSqlDatabase &to, const QString &table)
{
    const QSqlRecord source = platform::tableRecord(from, table);
    const QSqlRecord target = platform::tableRecord(to, table);
    QStringList names;
    for (int i = 0; i < source.count(); ++i) {
        if (target.contains(source.fieldName(i)))
            names << source.fieldName(i).toUpper();
    }
    return names;
}

bool insertBatch(QSqlDatabase &to, const QString &table, const QStringList &columns,
    const QVector<QVariantList> &rows, QString *error)
{
    QStringList marks;
    marks.fill(QStringLiteral("?"), columns.size());
    const QString one = QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    QStringList all;
    all.fill(one, rows.size());
    QSqlQuery q(to);
    if (!q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                       .arg(table, columns.join(QLatin1Char(',')), all.join(QLatin1Char(','))))) {
        *error = QStringLiteral("%1 yazılamadı: %2").arg(table, sqlText(q.lastError()));
        return false;
    }
    for (const QVariantList &row : rows)
        for (const QVariant &v : row)
            q.addBindValue(v);
    if (!q.exec()) {
        *error = QStringLiteral("%1 yazılamadı: %2").arg(table, sqlText(q.lastError()));
        return false;
    }
    return true;
}

bool copyTable(QSqlDatabase &from, QSqlDatabase &to, const QString &table,
    const QStringList &columns, QString *error)
{
    QSqlQuery read(from);
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY ID")
                       .arg(columns.join(QLatin1Char(',')), table))) {
        *error = QStringLiteral("%1 okunamadı: %2").arg(table, sqlText(read.lastError()));
        return false;
    }
    if (platform::isPostgres(to)) {
        platform::PgCopy copy(to, table, columns);
        QVariantList row;
        while (copy.ok() && read.next()) {
            row.clear();
            for (int c = 0; c < columns.size(); ++c)
                row << read.value(c);
            copy.add(row);
        }
        if (read.lastError().isValid()) {
            *error = QStringLiteral("%1 okunamadı: %2").arg(table, sqlText(read.lastError()));
            return false;
        }
        if (!copy.finish()) {
            *error = QStringLiteral("%1 yazılamadı: %2").arg(table, copy.error());
            return false;
        }
        return true;
    }
    QVector<QVariantList> rows;
    while (read.next()) {
        QVariantList row;
        row.reserve(columns.size());
        for (int c = 0; c < columns.size(); ++c)
            row << read.value(c);
        rows << row;
        if (rows.size() == kRowsAStatement) {
            if (!insertBatch(to, table, columns, rows, error))
                return false;
            rows.clear();
        }
    }
    return rows.isEmpty() || insertBatch(to, table, columns, rows, error);
}

bool sameValues(QSqlDatabase &from, QSqlDatabase &to, const QString &table,
    const QStringList &columns, QString *error)
{
    const QString sql =
        QStringLiteral("SELECT %1 FROM %2 ORDER BY ID").arg(columns.join(QLatin1Char(',')), table);
    QSqlQuery a(from);
    QSqlQuery b(to);
    a.setForwardOnly(true);
    b.setForwardOnly(true);
    if (!a.exec(sql) || !b.exec(sql)) {
        *error = QStringLiteral("%1 karşılaştırılamadı: %2")
                     .arg(table, sqlText(a.lastError().isValid() ? a.lastError() : b.lastError()));
        return false;
    }
    for (;;) {
        const bool moreA = a.next();
        const bool moreB = b.next();
        if (moreA != moreB) {
            *error = QStringLiteral("%1 tablosunda iki deponun satır sayısı tutmuyor.").arg(table);
            return false;
        }
        if (!moreA)
            return true;
        for (int c = 0; c < columns.size(); ++c) {
            if (comparableValue(a.value(c)) != comparableValue(b.value(c))) {
                *error = QStringLiteral("%1 tablosunda ID %2 satırının %3 sütunu iki depoda "
                                        "farklı: \"%4\" / \"%5\".")
                             .arg(table, a.value(0).toString(), columns[c], a.value(c).toString(),
                                 b.value(c).toString());
                return false;
            }
        }
    }
}

} // namespace

QString comparableValue(const QVariant &v)
{
    if (v.isNull())
        return QStringLiteral("\x01");
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(v.toDouble(), 'g', 17);
    default:
        return v.toString();
    }
}

bool copyRecords(QSqlDatabase &from, QSqlDatabase &to, QString *report, QString *error)
{
    qint64 counts[2] = {};
    for (int t = 0; t < 2; ++t) {
        qint64 there = 0;
        if (!countRows(to, QLatin1String(kTables[t]), &there, error))
            return false;
        if (there > 0) {
            *error = QStringLiteral("Hedef kayıt deposunun %1 tablosunda zaten %2 satır var; "
                                    "hiçbir şey aktarılmadı. Kayıtlar yalnız boş bir depoya "
                                    "aktarılır.")
                         .arg(QLatin1String(kTables[t]))
                         .arg(there);
            return false;
        }
        if (!countRows(from, QLatin1String(kTables[t]), &counts[t], error))
            return false;
    }
    if (!to.transaction()) {
        *error = sqlText(to.lastError());
        return false;
    }
    auto fail = [&] {
        to.rollback();
        return false;
    };
    for (const char *table : kTables) {
        const QString name = QLatin1String(table);
        const QStringList columns = sharedColumns(from, to, name);
        if (!copyTable(from, to, name, columns, error))
            return fail();
        if (platform::isPostgres(to)) {
            // New rows go on after the copied IDs.
            QSqlQuery q(to);
            if (!q.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'), "
                                       "(SELECT coalesce(max(ID), 0) + 1 FROM %1), false)")
                            .arg(name.toLower()))) {
                *error = sqlText(q.lastError());
                return fail();
            }
        }
        qint64 copied = 0;
        if (!countRows(to, name, &copied, error))
            return fail();
        const qint64 expected = counts[name == QLatin1String("ARACKAYIT") ? 0 : 1];
        if (copied != expected) {
            *error = QStringLiteral("%1: kaynakta %2, hedefte %3 satır; aktarım geri alındı.")
                         .arg(name)
                         .arg(expected)
                         .arg(copied);
            return fail();
        }
        if (!sameValues(from, to, name, columns, error)) {
            *error += QStringLiteral(" Aktarım geri alındı.");
            return fail();
        }
    }
    if (!to.commit()) {
        *error = sqlText(to.lastError());
        return fail();
    }
    *report = QStringLiteral("%1 araç kaydı (ARACKAYIT) ve %2 araç sahibi satırı (ARACSAHIPLERI) "
                             "aktarıldı; sayılar ve bütün değerler iki depoda karşılaştırıldı, "
                             "aynı.")
                  .arg(counts[0])
                  .arg(counts[1]);
    return true;
}

int moveStore(const QString &direction)
{
    const bool toShared = direction == QLatin1String("shared");
    if (!toShared && direction != QLatin1String("local")) {
        std::fprintf(stderr, "--move-store shared ya da --move-store local olmalı.\n");
        return 2;
    }
    const SharedStore shared = sharedStore();
    if (!shared.isSet()) {
        std::fprintf(stderr,
            "Ortak kayıt deposu ayarlı değil: --shared-store ya da %s dosyası gerekli.\n",
            qPrintable(sharedStoreSettingsPath()));
        return 2;
    }
    // A store whose schema is another program's is refused before either
    // store is touched: its records may not be what its saves reported.
    const QString localStore = dataFilePath(RecordStoreData);
    if (const QString why = foreignSchemaReason(localStore); !why.isEmpty()) {
        std::fprintf(stderr, "Kayıt deposu taşınmadı: %s\n%s\n",
            qPrintable(QDir::toNativeSeparators(localStore)), qPrintable(why));
        return 1;
    }
    platform::ConsoleMessages console;
    QSqlDatabase local;
    QSqlDatabase server;
    // The server is checked as the file was, before its upgrade.
    if (OpenData(server, RecordStoreData)) {
        const QString why = foreignServerSchemaReason(server);
        CloseDb(server);
        if (!why.isEmpty()) {
            std::fprintf(stderr, "Kayıt deposu taşınmadı: %s\n%s\n",
                qPrintable(sharedStoreHost(shared.connection)), qPrintable(why));
            return 1;
        }
    }
    // Both stores get the columns of this version first, so every column of
    // the source has its place in the target.
    sharedStore() = SharedStore();
    upgradeRecordStore();
    const bool localOpen = OpenData(local, RecordStoreData);
    sharedStore() = shared;
    upgradeRecordStore();
    const bool serverOpen = OpenData(server, RecordStoreData);
    // A desk's statement is bounded; the copy of a large store is one long
    // statement a table, and a lock held elsewhere still ends it.
    if (serverOpen)
        QSqlQuery(server).exec(QStringLiteral("SET statement_timeout = 0"));
    int code = 1;
    if (localOpen && serverOpen) {
        QString report;
        QString error;
        const bool ok = toShared ? copyRecords(local, server, &report, &error)
                                 : copyRecords(server, local, &report, &error);
        // The copy brings the records, not the search index: the target's is
        // made from them.
        QString indexError;
        if (ok
            && !records::SearchIndex::build(
                toShared ? server : local, consoleProgress, &indexError)) {
            std::fprintf(stderr, "Arama dizini kurulamadı: %s\n", qPrintable(indexError));
            code = 1;
        } else if (ok) {
            std::printf("%s\n%s -> %s\n", qPrintable(report),
                toShared ? qPrintable(dataFilePath(RecordStoreData))
                         : qPrintable(sharedStoreHost(shared.connection)),
                toShared ? qPrintable(sharedStoreHost(shared.connection))
                         : qPrintable(dataFilePath(RecordStoreData)));
            code = 0;
        } else {
            std::fprintf(stderr, "%s\n", qPrintable(error));
        }
    }
    CloseDb(local);
    CloseDb(server);
    return code;
}

int upgradeStore()
{
    if (!sharedStore().isSet()) {
        std::fprintf(stderr,
            "Ortak kayıt deposu ayarlı değil: --shared-store ya da %s dosyası gerekli.\n",
            qPrintable(sharedStoreSettingsPath()));
        return 2;
    }
    platform::ConsoleMessages console;
    const bool ok = upgradeRecordStore(consoleProgress) && !console.failed;
    if (ok)
        std::printf("Ortak kayıt deposu (%s) bu sürümün tablolarına ve sütunlarına sahip.\n",
            qPrintable(sharedStoreHost(sharedStore().connection)));
    return ok ? 0 : 1;
}

} // namespace app
