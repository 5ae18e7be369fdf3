#include "storedtext.h"

#include "codepage.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringDecoder>
#include <QStringList>

namespace platform {

QString fromStoredText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? fromCp1254(bytes) : text;
}

void mendStoredText(const QSqlDatabase &db, const QString &table, QSqlRecord *row)
{
    // A server keeps its text in one valid encoding.
    if (db.driverName() != QLatin1String("QSQLITE") || !row->contains(QStringLiteral("ID")))
        return;
    QStringList columns;
    for (int i = 0; i < row->count(); ++i) {
        if (row->value(i).typeId() == QMetaType::QString
            && row->value(i).toString().contains(QChar::ReplacementCharacter))
            columns << row->fieldName(i);
    }
    if (columns.isEmpty())
        return;
    QStringList casts;
    for (const QString &c : columns)
        casts << QStringLiteral("CAST(\"%1\" AS BLOB)").arg(c);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE ID = ?")
                       .arg(casts.join(QStringLiteral(", ")), table)))
        return;
    q.addBindValue(row->value(QStringLiteral("ID")));
    if (!q.exec() || !q.next())
        return;
    for (int i = 0; i < columns.size(); ++i)
        row->setValue(columns[i], fromStoredText(q.value(i).toByteArray()));
}

} // namespace platform
