#include "pgcopy.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDriver>
#include <QVariant>

#include <libpq-fe.h>

namespace platform {

namespace {

constexpr qsizetype kFlushBytes = 1 << 20;

} // namespace

PGconn *pgConnection(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    return handle.isValid()
            && (qstrcmp(handle.typeName(), "PGconn*") == 0
                || qstrcmp(handle.typeName(), "pg_conn*") == 0)
        ? *static_cast<PGconn *const *>(handle.data())
        : nullptr;
}

namespace {

QString serverError(PGconn *conn)
{
    return QString::fromUtf8(PQerrorMessage(conn)).trimmed();
}

// A value in COPY's text form: \N for Null; backslash, tab and line ends escaped.
void appendValue(QByteArray *out, const QVariant &v)
{
    if (v.isNull()) {
        out->append("\\N");
        return;
    }
    QByteArray text;
    switch (v.typeId()) {
    case QMetaType::QDate:
        text = v.toDate().toString(Qt::ISODate).toUtf8();
        break;
    case QMetaType::QDateTime:
        text = v.toDateTime().toString(Qt::ISODate).toUtf8();
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        text = QByteArray::number(v.toDouble(), 'g', 17);
        break;
    case QMetaType::Bool:
        text = v.toBool() ? "t" : "f";
        break;
    default:
        text = v.toString().toUtf8();
    }
    for (const char c : std::as_const(text)) {
        switch (c) {
        case '\\':
            out->append("\\\\");
            break;
        case '\t':
            out->append("\\t");
            break;
        case '\n':
            out->append("\\n");
            break;
        case '\r':
            out->append("\\r");
            break;
        default:
            out->append(c);
        }
    }
}

} // namespace

PgCopy::PgCopy(const QSqlDatabase &db, const QString &table, const QStringList &columns)
    : conn_(pgConnection(db))
{
    if (!conn_) {
        error_ = QStringLiteral("Ortak kayıt deposuna bağlantı açık değil.");
        return;
    }
    const QByteArray sql = QStringLiteral("COPY %1 (%2) FROM STDIN")
                               .arg(table, columns.join(QLatin1Char(',')))
                               .toUtf8();
    PGresult *r = PQexec(conn_, sql.constData());
    if (PQresultStatus(r) != PGRES_COPY_IN)
        error_ = serverError(conn_);
    PQclear(r);
}

bool PgCopy::add(const QVariantList &row)
{
    if (!ok())
        return false;
    for (qsizetype i = 0; i < row.size(); ++i) {
        if (i > 0)
            buffer_.append('\t');
        appendValue(&buffer_, row[i]);
    }
    buffer_.append('\n');
    return buffer_.size() < kFlushBytes || flush();
}

bool PgCopy::flush()
{
    if (!buffer_.isEmpty() && PQputCopyData(conn_, buffer_.constData(), int(buffer_.size())) != 1) {
        error_ = serverError(conn_);
        return false;
    }
    buffer_.clear();
    return true;
}

bool PgCopy::finish()
{
    if (!ok())
        return false;
    if (!flush())
        return false;
    if (PQputCopyEnd(conn_, nullptr) != 1) {
        error_ = serverError(conn_);
        return false;
    }
    // The copy's outcome, then the end of its results.
    while (PGresult *r = PQgetResult(conn_)) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK && error_.isEmpty())
            error_ = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        PQclear(r);
    }
    return ok();
}

} // namespace platform
