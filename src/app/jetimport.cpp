#include "jetimport.h"

#include "storemove.h"

#include "datafiles.h"
#include "platform/jetfile.h"
#include "platform/messages.h"
#include "platform/storedialect.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <cmath>
#include <cstdio>
#include <memory>

namespace app {

namespace {

using platform::JetColumn;
using platform::JetKind;

const QString kNl = QStringLiteral("\r\n");

enum class Kind { Text, Small, Integer, Number, Date };

struct StoreColumn {
    QString name;
    Kind kind = Kind::Text;
    int width = 0; // texts' length; 0 for the rest
};

// The number boxes of the entry screen: a stored number wider than its box
// would show cut, and a save would store the cut number.
const struct {
    const char *column;
    int width;
} kNumberBoxes[] = {
    { "SIGORTAAYSURE", 2 },
    { "SIGORTAGUNSURE", 2 },
    { "NETAGR", 10 },
    { "YUKLUAGR", 10 },
    { "KATARAGR", 10 },
    { "YUKLUROMORKAGR", 10 },
    { "KAPASITE", 2 },
    { "AYAKTAKAPASITE", 2 },
    { "SILINDIRHACMI", 5 },
    { "MOTORGUCU", 4 },
    { "GUCORANI", 4 },
    { "DINGILSAYISI", 2 },
    { "TEKERSAYISI", 2 },
};

int numberBox(const QString &column)
{
    for (const auto &b : kNumberBoxes)
        if (column == QLatin1String(b.column))
            return b.width;
    return 0;
}

// As the box shows it: decimal comma, no "0" before it when that helps.
int numberWidth(double d)
{
    QString t = QString::number(d, 'f', QLocale::FloatingPointShortest);
    if (t.startsWith(QLatin1String("0.")) || t.startsWith(QLatin1String("-0.")))
        return t.size() - 1;
    return t.size();
}

QString sqlText(const QSqlError &e)
{
    const QString t = e.databaseText().trimmed();
    return t.isEmpty() ? e.text().trimmed() : t;
}

// The columns of a table as the store declares them, on either engine.
QVector<StoreColumn> storeColumns(QSqlDatabase &db, const QString &table)
{
    QVector<StoreColumn> out;
    QSqlQuery q(db);
    if (platform::isPostgres(db)) {
        q.prepare(QStringLiteral(
            "SELECT upper(column_name), data_type, coalesce(character_maximum_length, 0) "
            "FROM information_schema.columns WHERE table_schema = current_schema() "
            "AND table_name = lower(?) ORDER BY ordinal_position"));
        q.addBindValue(table);
        q.exec();
        while (q.next()) {
            const QString type = q.value(1).toString();
            StoreColumn c { q.value(0).toString(), Kind::Text, q.value(2).toInt() };
            if (type == QLatin1String("smallint"))
                c.kind = Kind::Small;
            else if (type == QLatin1String("integer") || type == QLatin1String("bigint"))
                c.kind = Kind::Integer;
            else if (type == QLatin1String("double precision") || type == QLatin1String("real"))
                c.kind = Kind::Number;
            else if (type == QLatin1String("date"))
                c.kind = Kind::Date;
            out << c;
        }
        return out;
    }
    q.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(table);
    if (!q.exec() || !q.next())
        return out;
    const QString sql = q.value(0).toString();
    static const QRegularExpression column(
        QStringLiteral("[(,]\\s*(\\w+)\\s+(VARCHAR|SMALLINT|INTEGER|DOUBLE|DATE)(?:\\((\\d+)\\))?"),
        QRegularExpression::CaseInsensitiveOption);
    for (auto it = column.globalMatch(sql); it.hasNext();) {
        const auto m = it.next();
        const QString type = m.captured(2).toUpper();
        StoreColumn c { m.captured(1), Kind::Text, m.captured(3).toInt() };
        if (type == QLatin1String("SMALLINT"))
            c.kind = Kind::Small;
        else if (type == QLatin1String("INTEGER"))
            c.kind = Kind::Integer;
        else if (type == QLatin1String("DOUBLE"))
            c.kind = Kind::Number;
        else if (type == QLatin1String("DATE"))
            c.kind = Kind::Date;
        out << c;
    }
    return out;
}

// A value of the file as a note shows it.
QString shown(const QVariant &v, JetKind kind)
{
    if (kind == JetKind::Date) {
        const QDate d = platform::jetDate(v.toDouble());
        return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QStringLiteral("?");
    }
    if (kind == JetKind::Number)
        return QString::number(v.toDouble(), 'g', 15);
    QString t = v.toString();
    if (t.size() > 40)
        t = t.left(40) + QStringLiteral("…");
    return QLatin1Char('"') + t + QLatin1Char('"');
}

QDate textDate(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *form : { "dd.MM.yyyy", "d.M.yyyy", "yyyy-MM-dd" }) {
        const QDate d = QDate::fromString(t, QLatin1String(form));
        if (d.isValid())
            return d;
    }
    return QDate();
}

// The value the store takes for a value of the file. When it is not the
// value as it was, why says what was stored instead.
QVariant convert(const StoreColumn &to, JetKind from, const QVariant &v, QString *why)
{
    if (v.isNull())
        return QVariant();
    const QString was = shown(v, from);
    auto refuse = [&](const QString &reason) {
        *why = QStringLiteral("%1: %2; boş bırakıldı.").arg(was, reason);
        return QVariant();
    };
    switch (to.kind) {
    case Kind::Text: {
        QString t;
        if (from == JetKind::Date) {
            t = platform::jetDate(v.toDouble()).toString(QStringLiteral("dd.MM.yyyy"));
        } else if (from == JetKind::Number) {
            t = QString::number(v.toDouble(), 'g', 15);
        } else if (from == JetKind::Boolean) {
            t = v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        } else {
            t = v.toString();
        }
        if (t.isEmpty())
            return QVariant();
        if (to.width > 0 && t.size() > to.width) {
            *why = QStringLiteral("%1: %2 harf; sütun %3 harf alır, ilk %3 harfi saklandı.")
                       .arg(was)
                       .arg(t.size())
                       .arg(to.width);
            return t.left(to.width);
        }
        return t;
    }
    case Kind::Small:
    case Kind::Integer: {
        qint64 n = 0;
        if (from == JetKind::Integer) {
            n = v.toLongLong();
        } else if (from == JetKind::Boolean) {
            n = v.toBool() ? 1 : 0;
        } else if (from == JetKind::Number) {
            const double d = v.toDouble();
            if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 2e9)
                return refuse(QStringLiteral("tam sayı değil"));
            n = static_cast<qint64>(d);
        } else if (from == JetKind::Text) {
            bool ok = false;
            n = v.toString().trimmed().toLongLong(&ok);
            if (!ok)
                return refuse(QStringLiteral("tam sayı değil"));
        } else {
            return refuse(QStringLiteral("sayı değil"));
        }
        if (to.kind == Kind::Small && (n < -32768 || n > 32767))
            return refuse(QStringLiteral("küçük tam sayı sütununa sığmıyor"));
        return n;
    }
    case Kind::Number: {
        double d = 0;
        if (from == JetKind::Integer || from == JetKind::Number) {
            d = v.toDouble();
        } else if (from == JetKind::Boolean) {
            d = v.toBool() ? 1 : 0;
        } else if (from == JetKind::Text) {
            bool ok = false;
            d = v.toString().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
            if (!ok)
                return refuse(QStringLiteral("sayı değil"));
        } else {
            return refuse(QStringLiteral("sayı değil"));
        }
        if (!std::isfinite(d))
            return refuse(QStringLiteral("sayı değil"));
        const int box = numberBox(to.name);
        if (box > 0 && numberWidth(d) > box)
            return refuse(QStringLiteral("%1 haneli kutuya sığmıyor").arg(box));
        return d;
    }
    case Kind::Date: {
        QDate d;
        if (from == JetKind::Date)
            d = platform::jetDate(v.toDouble());
        else if (from == JetKind::Text)
            d = textDate(v.toString());
        if (!d.isValid())
            return refuse(QStringLiteral("tarih değil"));
        if (d.year() < 1900 || d.year() > 2045)
            return refuse(QStringLiteral("1900–2045 yılları dışında"));
        return d.toString(Qt::ISODate);
    }
    }
    return QVariant();
}

QByteArray fingerprint(const QVariantList &row)
{
    QCryptographicHash h(QCryptographicHash::Md5);
    for (const QVariant &v : row) {
        h.addData(comparableValue(v).toUtf8());
        h.addData(QByteArrayView("\x02", 1));
    }
    return h.result();
}

// Writes rows in statements of several rows on the server, where each
// statement is a round trip, and one prepared row at a time in SQLite, whose
// driver looks every parameter up by number.
class RowWriter {
public:
    RowWriter(QSqlDatabase &db, const QString &table, const QStringList &columns)
        : db_(db)
        , table_(table)
        , columns_(columns)
        , rowsAStatement_(platform::isPostgres(db) ? 200 : 1)
        , full_(db)
    {
    }
    bool add(const QVariantList &row, QString *error)
    {
        pending_ << row;
        return pending_.size() < rowsAStatement_ || flush(error);
    }
    bool flush(QString *error)
    {
        if (pending_.isEmpty())
            return true;
        QSqlQuery partial(db_);
        QSqlQuery &q = pending_.size() == rowsAStatement_ ? full_ : partial;
        if ((&q == &partial || !prepared_) && !prepare(q, pending_.size())) {
            *error = QStringLiteral("%1 yazılamadı: %2").arg(table_, sqlText(q.lastError()));
            return false;
        }
        prepared_ = prepared_ || &q == &full_;
        int at = 0;
        for (const QVariantList &row : std::as_const(pending_))
            for (const QVariant &v : row)
                q.bindValue(at++, v);
        pending_.clear();
        if (!q.exec()) {
            *error = QStringLiteral("%1 yazılamadı: %2").arg(table_, sqlText(q.lastError()));
            return false;
        }
        return true;
    }

private:
    bool prepare(QSqlQuery &q, int rows)
    {
        QStringList marks;
        marks.fill(QStringLiteral("?"), columns_.size());
        const QString one = QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
        QStringList all;
        all.fill(one, rows);
        return q.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                .arg(table_, columns_.join(QLatin1Char(',')), all.join(QLatin1Char(','))));
    }

    QSqlDatabase &db_;
    QString table_;
    QStringList columns_;
    int rowsAStatement_;
    QSqlQuery full_;
    bool prepared_ = false;
    QVector<QVariantList> pending_;
};

struct TableResult {
    long long read = 0;
    long long written = 0;
};

// Copies one table of the file into the store (inside the open transaction),
// then reads every written row back and compares it with what was meant.
bool importTable(platform::JetFile &jet, const QString &jetName, QSqlDatabase &db,
    const QString &table, TableResult *result, QStringList *changed, QString *error)
{
    const QVector<StoreColumn> storeCols = storeColumns(db, table);
    QVector<JetColumn> jetCols;
    // The file's columns are known once its first row is read; the mapping
    // is made then.
    // The store's columns the file has too: their names, kinds and places
    // in the file's rows.
    QVector<int> from;
    QStringList names;
    QVector<StoreColumn> targets;
    int idAt = -1;
    QHash<qint64, QByteArray> meant;
    std::unique_ptr<RowWriter> writer;
    QString failure;
    bool mapped = false;
    auto map = [&] {
        for (const StoreColumn &c : storeCols) {
            int at = -1;
            for (int j = 0; j < jetCols.size(); ++j)
                if (jetCols[j].name.compare(c.name, Qt::CaseInsensitive) == 0)
                    at = j;
            if (at < 0)
                continue; // older files lack the newer columns: they stay empty
            if (c.name.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
                idAt = targets.size();
            from << at;
            names << c.name;
            targets << c;
        }
        for (const JetColumn &j : jetCols) {
            bool known = false;
            for (const StoreColumn &c : storeCols)
                known = known || j.name.compare(c.name, Qt::CaseInsensitive) == 0;
            if (!known)
                changed->append(QStringLiteral("%1, %2: kayıt deposunda böyle bir sütun yok; "
                                               "değerleri alınmadı.")
                                    .arg(table, j.name));
        }
        writer = std::make_unique<RowWriter>(db, table, names);
        mapped = true;
    };
    const bool owners = table == QLatin1String("ARACSAHIPLERI");
    const platform::JetFile::RowVisitor visit = [&](const QVariantList &values) {
        if (!mapped)
            map();
        if (idAt < 0) {
            failure = QStringLiteral("%1 tablosunda ID sütunu yok.").arg(table);
            return false;
        }
        ++result->read;
        QVariantList row;
        row.reserve(targets.size());
        const QVariant idValue = values[from[idAt]];
        const QString idText = idValue.isNull() ? QStringLiteral("(boş)") : idValue.toString();
        for (int i = 0; i < targets.size(); ++i) {
            QString why;
            row << convert(targets[i], jetCols[from[i]].kind, values[from[i]], &why);
            if (!why.isEmpty())
                changed->append(
                    QStringLiteral("%1 ID %2, %3: %4").arg(table, idText, targets[i].name, why));
        }
        const QVariant id = row[idAt];
        if (id.isNull()) {
            changed->append(QStringLiteral("%1: ID'si olmayan bir satır alınmadı.").arg(table));
            return true;
        }
        if (owners) {
            const int aracAt = names.indexOf(QStringLiteral("ARACID"));
            if (aracAt >= 0 && row[aracAt].isNull()) {
                changed->append(QStringLiteral("%1 ID %2: hangi araca ait olduğu (ARACID) boş; "
                                               "satır alınmadı.")
                                    .arg(table, idText));
                return true;
            }
        }
        const qint64 key = id.toLongLong();
        if (meant.contains(key)) {
            failure = QStringLiteral("%1 tablosunda ID %2 iki kez var; dosya bozuk olabilir.")
                          .arg(table)
                          .arg(key);
            return false;
        }
        meant.insert(key, fingerprint(row));
        return writer->add(row, &failure);
    };
    QString readError;
    if (!jet.readTable(jetName, &jetCols, visit, &readError)) {
        *error = failure.isEmpty() ? readError : failure;
        return false;
    }
    if (!mapped)
        map();
    if (!writer->flush(error))
        return false;
    if (platform::isPostgres(db) && idAt >= 0) {
        // New rows go on after the brought IDs.
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'), "
                                   "(SELECT coalesce(max(ID), 0) + 1 FROM %1), false)")
                        .arg(table.toLower()))) {
            *error = sqlText(q.lastError());
            return false;
        }
    }
    result->written = meant.size();
    if (names.isEmpty())
        return true;
    QSqlQuery back(db);
    back.setForwardOnly(true);
    if (!back.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY ID")
                       .arg(names.join(QLatin1Char(',')), table))) {
        *error = QStringLiteral("%1 geri okunamadı: %2").arg(table, sqlText(back.lastError()));
        return false;
    }
    qint64 seen = 0;
    QVariantList row;
    while (back.next()) {
        ++seen;
        row.clear();
        for (int i = 0; i < names.size(); ++i)
            row << back.value(i);
        const qint64 key = row[idAt].toLongLong();
        if (meant.value(key) != fingerprint(row)) {
            *error = QStringLiteral("%1 tablosunda ID %2 satırı kayıt deposundan yazıldığı gibi "
                                    "geri okunamadı.")
                         .arg(table)
                         .arg(key);
            return false;
        }
    }
    if (seen != meant.size()) {
        *error = QStringLiteral("%1: %2 satır yazılacakken depoda %3 satır var.")
                     .arg(table)
                     .arg(meant.size())
                     .arg(seen);
        return false;
    }
    return true;
}

QString findTable(const QStringList &tables, const QString &name)
{
    for (const QString &t : tables)
        if (t.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    return QString();
}

JetImportOutcome refused(const QString &file, const QString &why, const QString &kept)
{
    JetImportOutcome r;
    r.text = QStringLiteral("Jet dosyasından aktarılmadı:") + kNl + QDir::toNativeSeparators(file)
        + kNl + why + kNl + kNl + kept;
    return r;
}

QString changedText(const QStringList &changed)
{
    if (changed.isEmpty())
        return QStringLiteral("Bütün değerler olduğu gibi alındı.");
    return QStringLiteral("Olduğu gibi alınamayan değerler (%1):").arg(changed.size()) + kNl
        + QStringLiteral("  ") + changed.join(kNl + QStringLiteral("  "));
}

qint64 rowCount(QSqlDatabase &db, const QString &table, bool *ok)
{
    QSqlQuery q(db);
    *ok = q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table)) && q.next();
    return *ok ? q.value(0).toLongLong() : 0;
}

} // namespace

JetImportOutcome importJetRecords(const QString &file)
{
    const QString unchanged = QStringLiteral("Kayıt deposu değiştirilmedi.");
    platform::JetFile jet;
    QString why;
    if (!jet.open(file, &why))
        return refused(file, why, unchanged);
    const QStringList tables = jet.tables();
    const QString cars = findTable(tables, QStringLiteral("ARACKAYIT"));
    const QString owners = findTable(tables, QStringLiteral("ARACSAHIPLERI"));
    if (cars.isEmpty() && owners.isEmpty())
        return refused(file,
            QStringLiteral("Dosyada ARACKAYIT ve ARACSAHIPLERI tabloları yok (dosyadaki "
                           "tablolar: %1).")
                .arg(tables.isEmpty() ? QStringLiteral("hiç") : tables.join(QStringLiteral(", "))),
            unchanged);

    QSqlDatabase db;
    if (!OpenData(db, RecordStoreData))
        return refused(file, QStringLiteral("Kayıt deposu açılamadı."), unchanged);
    auto fail = [&](const QString &reason) {
        if (db.isOpen())
            db.rollback();
        CloseDb(db);
        return refused(file, reason, unchanged);
    };
    for (const QString &t : recordStoreTables()) {
        bool ok = false;
        const qint64 there = rowCount(db, t, &ok);
        if (!ok)
            return fail(QStringLiteral("%1 sayılamadı.").arg(t));
        if (there > 0)
            return fail(QStringLiteral("Kayıt deposunun %1 tablosunda zaten %2 satır var. "
                                       "Jet dosyasından aktarım yalnız boş bir depoya yapılır.")
                            .arg(t)
                            .arg(there));
    }
    if (!db.transaction())
        return fail(sqlText(db.lastError()));
    JetImportOutcome done;
    QStringList lines;
    lines << QStringLiteral("Jet %1 dosyasından aktarıldı:").arg(jet.jetVersion()) + kNl
            + QDir::toNativeSeparators(file);
    for (const QString &table : { QStringLiteral("ARACKAYIT"), QStringLiteral("ARACSAHIPLERI") }) {
        const QString inFile = table == QLatin1String("ARACKAYIT") ? cars : owners;
        if (inFile.isEmpty()) {
            lines << QStringLiteral("%1: dosyada bu tablo yok; aktarılmadı.").arg(table);
            continue;
        }
        TableResult r;
        QString error;
        if (!importTable(jet, inFile, db, table, &r, &done.changed, &error))
            return fail(error);
        done.read += r.read;
        done.written += r.written;
        lines << QStringLiteral("%1: %2 satır okundu, %3 satır yazıldı.")
                     .arg(table)
                     .arg(r.read)
                     .arg(r.written);
    }
    if (!db.commit())
        return fail(sqlText(db.lastError()));
    CloseDb(db);
    lines << QStringLiteral("Yazılan her satır kayıt deposundan geri okunup karşılaştırıldı.");
    lines << changedText(done.changed);
    done.ok = true;
    done.text = lines.join(kNl);
    return done;
}

JetImportOutcome importJetBrands(const QString &file)
{
    const QString unchanged = QStringLiteral("Marka listesi değiştirilmedi.");
    platform::JetFile jet;
    QString why;
    if (!jet.open(file, &why))
        return refused(file, why, unchanged);
    const QString table = findTable(jet.tables(), QStringLiteral("Araclar"));
    if (table.isEmpty())
        return refused(file, QStringLiteral("Dosyada Araclar tablosu yok."), unchanged);
    QSqlDatabase db;
    if (!OpenData(db, VehiclesData))
        return refused(file, QStringLiteral("Marka listesi açılamadı."), unchanged);
    auto fail = [&](const QString &reason) {
        if (db.isOpen())
            db.rollback();
        CloseDb(db);
        return refused(file, reason, unchanged);
    };
    const QString names[] = { QStringLiteral("Tip"), QStringLiteral("Marka"),
        QStringLiteral("Model") };
    int widths[3] = {};
    for (const StoreColumn &c : storeColumns(db, QStringLiteral("Araclar")))
        for (int i = 0; i < 3; ++i)
            if (c.name.compare(names[i], Qt::CaseInsensitive) == 0)
                widths[i] = c.width;
    QSet<QString> pairs;
    {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT Tip, Marka, Model FROM Araclar")))
            return fail(sqlText(q.lastError()));
        while (q.next())
            pairs.insert(q.value(0).toString() + QChar(1) + q.value(1).toString() + QChar(1)
                + q.value(2).toString());
    }
    const qint64 before = pairs.size();
    if (!db.transaction())
        return fail(sqlText(db.lastError()));
    JetImportOutcome done;
    QVector<QVariantList> rows;
    QVector<JetColumn> cols;
    QVector<int> at;
    QString error;
    const bool read = jet.readTable(
        table, &cols,
        [&](const QVariantList &values) {
            if (at.isEmpty()) {
                for (const QString &n : names) {
                    int found = -1;
                    for (int j = 0; j < cols.size(); ++j)
                        if (cols[j].name.compare(n, Qt::CaseInsensitive) == 0)
                            found = j;
                    at << found;
                }
            }
            ++done.read;
            QStringList pair;
            QString skip;
            for (int i = 0; i < 3; ++i) {
                const QString v = at[i] < 0 ? QString() : values[at[i]].toString().trimmed();
                if (v.isEmpty())
                    skip = QStringLiteral("%1 boş").arg(names[i]);
                else if (widths[i] > 0 && v.size() > widths[i])
                    skip =
                        QStringLiteral("%1 \"%2\" %3 harften uzun").arg(names[i], v).arg(widths[i]);
                pair << v;
            }
            if (!skip.isEmpty()) {
                done.changed
                    << QStringLiteral("Araclar satırı %1: %2; alınmadı.").arg(done.read).arg(skip);
                return true;
            }
            const QString key = pair.join(QChar(1));
            if (pairs.contains(key))
                return true;
            pairs.insert(key);
            rows << QVariantList { pair[0], pair[1], pair[2] };
            return true;
        },
        &error);
    if (!read)
        return fail(error);
    RowWriter writer(db, QStringLiteral("Araclar"),
        { QStringLiteral("Tip"), QStringLiteral("Marka"), QStringLiteral("Model") });
    for (const QVariantList &row : std::as_const(rows))
        if (!writer.add(row, &error))
            return fail(error);
    if (!writer.flush(&error))
        return fail(error);
    bool ok = false;
    const qint64 after = rowCount(db, QStringLiteral("Araclar"), &ok);
    if (!ok || after < before + rows.size())
        return fail(QStringLiteral("Eklenen satırlar marka listesinde bulunamadı."));
    if (!db.commit())
        return fail(sqlText(db.lastError()));
    CloseDb(db);
    done.ok = true;
    done.written = rows.size();
    done.text = QStringLiteral("Marka listesine aktarıldı (Jet %1):").arg(jet.jetVersion()) + kNl
        + QDir::toNativeSeparators(file) + kNl
        + QStringLiteral("Araclar: %1 satır okundu, %2 yeni marka-model çifti eklendi, "
                         "listede zaten olanlar eklenmedi.")
              .arg(done.read)
              .arg(done.written)
        + kNl + changedText(done.changed);
    return done;
}

JetContent jetFileContent(const QString &file)
{
    platform::JetFile jet;
    QString why;
    if (!jet.open(file, &why))
        return JetContent::None;
    const QStringList tables = jet.tables();
    if (!findTable(tables, QStringLiteral("ARACKAYIT")).isEmpty()
        || !findTable(tables, QStringLiteral("ARACSAHIPLERI")).isEmpty())
        return JetContent::Records;
    return findTable(tables, QStringLiteral("Araclar")).isEmpty() ? JetContent::None
                                                                  : JetContent::Brands;
}

int importJetCommand(const QString &file, bool brands)
{
    platform::ConsoleMessages console;
    if (!brands)
        upgradeRecordStore(consoleProgress);
    const JetImportOutcome outcome = brands ? importJetBrands(file) : importJetRecords(file);
    const QByteArray text =
        QString(outcome.text).replace(kNl, QStringLiteral("\n")).toLocal8Bit() + '\n';
    std::fputs(text.constData(), outcome.ok ? stdout : stderr);
    return outcome.ok ? 0 : 1;
}

} // namespace app
