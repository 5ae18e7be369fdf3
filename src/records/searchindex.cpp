#include "searchindex.h"

#include "app/entryroutines.h"
#include "platform/storedialect.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>
#include <array>

namespace records {

namespace {

// A record's index text is a run of fields, each: kFieldStart, the role (who
// holds the value), the field's code, then the folded value. Roles and codes
// are signs a folded word never holds, so what a typed word matches in the
// text lies inside one value.
constexpr char16_t kFieldStart = 0x1e;
constexpr char16_t kVehicle = 0x01;
constexpr char16_t kFormerOwner = 0x05; // current owners are 0x02 to 0x04, by slot

struct SearchField {
    const char *column;
    char code;
    bool anywhere; // numbers and codes: found from any piece; else from a word's start
    const char *label;
};

constexpr SearchField kVehicleFields[] = {
    { "ESKIPLAKA", 'a', true, "Eski plaka" },
    { "YENIPLAKA", 'b', true, "Yeni plaka" },
    { "SASENO", 'c', true, "Şase no" },
    { "MOTORNO", 'd', true, "Motor no" },
    { "BELGENO", 'e', true, "Sahiplik belge no" },
    { "TRAFIKBELGENO", 'f', true, "Trafik belge no" },
    { "SIGORTAPOLICENO", 'g', true, "Poliçe no" },
    { "OTV_MakbuzNo", 'h', true, "ÖTV makbuz no" },
    { "MARKA", 'i', false, "Marka" },
    { "MODEL", 'j', false, "Model" },
    { "MODELTICARIADI", 'k', false, "Ticari adı" },
    { "MODELRENK1", 'l', false, "Renk" },
    { "MODELRENK2", 'm', false, "Renk" },
};

constexpr SearchField kOwnerFields[] = {
    { "KIMLIKNO", 'n', true, "kimlik/vergi no" },
    { "AD", 'o', false, "adı" },
    { "SOYAD", 'p', false, "soyadı" },
    { "BABA", 'q', false, "baba adı" },
    { "ANNE", 'r', false, "anne adı" },
    { "ILCE", 's', false, "ilçe" },
    { "SEMT", 't', false, "semt" },
    { "MAHALLE", 'u', false, "mahalle" },
    { "CADDE", 'v', false, "cadde" },
    { "SOKAK", 'w', false, "sokak" },
    { "TELEFONIS", 'x', true, "telefon" },
    { "TELEFONEV", 'y', true, "telefon" },
    { "TELEFONCEP", 'z', true, "cep telefonu" },
};

const SearchField *fieldOf(QChar code)
{
    for (const SearchField &f : kVehicleFields)
        if (code == QLatin1Char(f.code))
            return &f;
    for (const SearchField &f : kOwnerFields)
        if (code == QLatin1Char(f.code))
            return &f;
    return nullptr;
}

QChar foldChar(QChar c)
{
    const QChar u = app::TrUpperChar(c);
    switch (u.unicode()) {
    case u'Ç':
        return u'C';
    case u'Ğ':
        return u'G';
    case u'İ':
        return u'I';
    case u'Ö':
        return u'O';
    case u'Ş':
        return u'S';
    case u'Ü':
        return u'U';
    default:
        break;
    }
    if (u.unicode() < 128)
        return u;
    // Other accented letters lose their accents (Â, É): clerks type them plain.
    const QString d = QString(u).normalized(QString::NormalizationForm_D);
    return d.isEmpty() ? u : d.at(0);
}

// A name, street or brand: words of letters and digits, one blank between.
QString foldWords(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const QChar f = foldChar(c);
        if (f.isLetterOrNumber())
            out += f;
        else if (!out.isEmpty() && !out.endsWith(QLatin1Char(' ')))
            out += QLatin1Char(' ');
    }
    if (out.endsWith(QLatin1Char(' ')))
        out.chop(1);
    return out;
}

// A number or code: its letters and digits alone, so "34 ABC 12" is 34ABC12.
QString foldCode(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const QChar f = foldChar(c);
        if (f.isLetterOrNumber())
            out += f;
    }
    return out;
}

void addField(QString *text, char16_t role, const SearchField &f, const QSqlRecord &row)
{
    const int at = row.indexOf(QLatin1String(f.column));
    if (at < 0 || row.isNull(at))
        return;
    const QString value = row.value(at).toString();
    const QString folded = f.anywhere ? foldCode(value) : foldWords(value);
    if (folded.isEmpty())
        return;
    *text += QChar(kFieldStart);
    *text += QChar(role);
    *text += QLatin1Char(f.code);
    *text += folded;
}

// The index text of a vehicle and its owner rows (in ID order). The row of
// the highest ID in slot 1, 2 or 3 is that slot's owner; every other row is
// a former owner.
QString indexText(const QSqlRecord &vehicle, const std::vector<QSqlRecord> &owners)
{
    QString text;
    for (const SearchField &f : kVehicleFields)
        addField(&text, kVehicle, f, vehicle);
    std::array<int, 3> current { -1, -1, -1 };
    for (int i = 0; i < int(owners.size()); ++i) {
        const int slot = owners[size_t(i)].value(QStringLiteral("SAHIPNO")).toInt();
        if (slot >= 1 && slot <= 3)
            current[size_t(slot - 1)] = i;
    }
    for (int i = 0; i < int(owners.size()); ++i) {
        const auto it = std::find(current.cbegin(), current.cend(), i);
        const char16_t role =
            it == current.cend() ? kFormerOwner : char16_t(kVehicle + 1 + (it - current.cbegin()));
        for (const SearchField &f : kOwnerFields)
            addField(&text, role, f, owners[size_t(i)]);
    }
    return text;
}

template<size_t N>
QString presentColumns(const QSqlDatabase &db, const QString &table, const SearchField (&fields)[N])
{
    const QSqlRecord there = platform::tableRecord(db, table);
    QString list;
    for (const SearchField &f : fields)
        if (there.contains(QLatin1String(f.column)))
            list += QStringLiteral(", ") + QLatin1String(f.column);
    return list;
}

QString keyColumn(const QSqlDatabase &db)
{
    return platform::isPostgres(db) ? QStringLiteral("ARACID") : QStringLiteral("rowid");
}

bool runQuery(QSqlQuery &q, QString *error)
{
    if (q.exec())
        return true;
    *error = q.lastError().text();
    return false;
}

bool runSql(QSqlDatabase &db, const QString &sql, QString *error)
{
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    *error = q.lastError().text();
    return false;
}

// Writes index rows in batches: one statement per row would cost a round
// trip each on the server.
class RowWriter {
public:
    RowWriter(QSqlDatabase &db)
        : db_(db)
        , key_(keyColumn(db))
    {
    }
    bool add(qint64 id, const QString &text, QString *error)
    {
        ids_.push_back(id);
        texts_.push_back(text);
        return ids_.size() < kBatch || flush(error);
    }
    bool flush(QString *error)
    {
        if (ids_.empty())
            return true;
        QStringList marks;
        marks.fill(QStringLiteral("(?, ?)"), int(ids_.size()));
        QSqlQuery q(db_);
        if (!q.prepare(QStringLiteral("INSERT INTO ARAMA (%1, METIN) VALUES %2")
                           .arg(key_, marks.join(QStringLiteral(", "))))) {
            *error = q.lastError().text();
            return false;
        }
        for (size_t i = 0; i < ids_.size(); ++i) {
            q.addBindValue(ids_[i]);
            q.addBindValue(texts_[i]);
        }
        ids_.clear();
        texts_.clear();
        return runQuery(q, error);
    }

private:
    static constexpr size_t kBatch = 200;
    QSqlDatabase &db_;
    QString key_;
    std::vector<qint64> ids_;
    QStringList texts_;
};

// What a folded word matches in a record's index text: the field, and who
// holds it. Current owners and the vehicle are preferred to former owners.
struct Match {
    const SearchField *field = nullptr;
    char16_t role = 0;
};

Match matchWord(QStringView text, const QString &word)
{
    Match found;
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = text.indexOf(QChar(kFieldStart), at + 1);
        if (end < 0)
            end = text.size();
        const QStringView field = text.mid(at, end - at);
        at = end;
        if (field.size() < 4)
            continue;
        const SearchField *f = fieldOf(field.at(2));
        if (!f)
            continue;
        const QStringView value = field.mid(3);
        const qsizetype hit = value.indexOf(word);
        bool ok = hit >= 0;
        if (ok && !f->anywhere) {
            // A name matches from the start of one of its words.
            ok = false;
            for (qsizetype h = hit; h >= 0; h = value.indexOf(word, h + 1)) {
                if (h == 0 || value.at(h - 1) == QLatin1Char(' ')) {
                    ok = true;
                    break;
                }
            }
        }
        if (!ok)
            continue;
        const char16_t role = field.at(1).unicode();
        if (role != kFormerOwner)
            return { f, role };
        if (!found.field)
            found = { f, role };
    }
    return found;
}

QString describe(const Match &m)
{
    const QString label = QString::fromUtf8(m.field->label);
    if (m.role == kVehicle)
        return label;
    if (m.role == kFormerOwner)
        return QStringLiteral("Önceki sahip: ") + label;
    return QStringLiteral("%1. sahip: ").arg(int(m.role - kVehicle)) + label;
}

} // namespace

QStringList SearchIndex::words(const QString &text)
{
    QStringList out;
    for (const QString &w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString folded = foldCode(w);
        if (!folded.isEmpty())
            out << folded;
    }
    return out;
}

bool SearchIndex::exists(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (platform::isPostgres(db))
        return q.exec(QStringLiteral("SELECT to_regclass('arama') IS NOT NULL")) && q.next()
            && q.value(0).toBool();
    return q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'ARAMA'")) && q.next();
}

bool SearchIndex::complete(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT (SELECT count(*) FROM ARACKAYIT), "
                                 "(SELECT count(*) FROM ARAMA)"))
        && q.next() && q.value(0).toLongLong() == q.value(1).toLongLong();
}

bool SearchIndex::refresh(QSqlDatabase &db, qint64 vehicleId, QString *error)
{
    if (!exists(db))
        return true;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT * FROM ARACKAYIT WHERE ID = ?"));
    q.addBindValue(vehicleId);
    if (!runQuery(q, error))
        return false;
    const bool found = q.next();
    const QSqlRecord vehicle = found ? q.record() : QSqlRecord();
    q.finish();
    std::vector<QSqlRecord> owners;
    if (found) {
        q.prepare(QStringLiteral("SELECT * FROM ARACSAHIPLERI WHERE ARACID = ? ORDER BY ID"));
        q.addBindValue(vehicleId);
        if (!runQuery(q, error))
            return false;
        while (q.next())
            owners.push_back(q.record());
        q.finish();
    }
    q.prepare(QStringLiteral("DELETE FROM ARAMA WHERE %1 = ?").arg(keyColumn(db)));
    q.addBindValue(vehicleId);
    if (!runQuery(q, error))
        return false;
    if (!found)
        return true;
    RowWriter writer(db);
    return writer.add(vehicleId, indexText(vehicle, owners), error) && writer.flush(error);
}

bool SearchIndex::build(QSqlDatabase &db, const Progress &progress, QString *error)
{
    const bool pg = platform::isPostgres(db);
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    auto fail = [&] {
        db.rollback();
        return false;
    };
    // Asked first, so the server has no notice to print about a missing table.
    if (exists(db) && !runSql(db, QStringLiteral("DROP TABLE ARAMA"), error))
        return fail();
    if (pg) {
        // pg_trgm is a trusted extension: the database's owner may add it.
        QSqlQuery has(db);
        const bool trgm =
            has.exec(QStringLiteral("SELECT 1 FROM pg_extension WHERE extname = 'pg_trgm'"))
            && has.next();
        has.finish();
        if ((!trgm && !runSql(db, QStringLiteral("CREATE EXTENSION pg_trgm"), error))
            || !runSql(db,
                QStringLiteral(
                    "CREATE TABLE ARAMA (ARACID bigint PRIMARY KEY, METIN text NOT NULL)"),
                error))
            return fail();
    } else if (!runSql(db,
                   QStringLiteral("CREATE VIRTUAL TABLE ARAMA USING fts5(METIN, tokenize = "
                                  "'trigram', detail = 'none')"),
                   error)
        // Merged once at the end rather than as the rows arrive.
        || !runSql(
            db, QStringLiteral("INSERT INTO ARAMA (ARAMA, rank) VALUES ('automerge', 0)"), error)) {
        return fail();
    }
    QSqlQuery range(db);
    if (!range.exec(QStringLiteral("SELECT min(ID), max(ID), count(*) FROM ARACKAYIT"))
        || !range.next()) {
        *error = range.lastError().text();
        return fail();
    }
    const qint64 first = range.value(0).toLongLong();
    const qint64 last = range.value(1).toLongLong();
    const qint64 total = range.value(2).toLongLong();
    range.finish();
    // The vehicles and their owners a slice of IDs at a time: each query is
    // read whole before the next, as the server's driver wants, and memory
    // stays small whatever the store's size.
    constexpr qint64 kSlice = 20000;
    RowWriter writer(db);
    qint64 done = 0;
    QSqlQuery vehicles(db);
    QSqlQuery owners(db);
    vehicles.setForwardOnly(true);
    owners.setForwardOnly(true);
    // Only the columns searched, and those the store has: every other column
    // read would cost a value a row for nothing.
    vehicles.prepare(
        QStringLiteral("SELECT ID%1 FROM ARACKAYIT WHERE ID >= ? AND ID <= ? ORDER BY ID")
            .arg(presentColumns(db, QStringLiteral("ARACKAYIT"), kVehicleFields)));
    owners.prepare(QStringLiteral("SELECT ARACID, ID, SAHIPNO%1 FROM ARACSAHIPLERI WHERE "
                                  "ARACID >= ? AND ARACID <= ? ORDER BY ARACID, ID")
                       .arg(presentColumns(db, QStringLiteral("ARACSAHIPLERI"), kOwnerFields)));
    // Each slice starts at the next ID there is: a store whose IDs jump (one
    // row another program put at the largest ID) takes no slice for the gap.
    QSqlQuery next(db);
    next.prepare(QStringLiteral("SELECT min(ID) FROM ARACKAYIT WHERE ID > ?"));
    for (qint64 from = first; total > 0;) {
        const qint64 to = from > last - kSlice ? last : from + kSlice - 1;
        owners.addBindValue(from);
        owners.addBindValue(to);
        if (!runQuery(owners, error))
            return fail();
        std::vector<std::pair<qint64, QSqlRecord>> ownerRows;
        while (owners.next())
            ownerRows.push_back(
                { owners.value(QStringLiteral("ARACID")).toLongLong(), owners.record() });
        owners.finish();
        vehicles.addBindValue(from);
        vehicles.addBindValue(to);
        if (!runQuery(vehicles, error))
            return fail();
        std::vector<std::pair<qint64, QString>> texts;
        size_t o = 0;
        while (vehicles.next()) {
            const qint64 id = vehicles.value(QStringLiteral("ID")).toLongLong();
            while (o < ownerRows.size() && ownerRows[o].first < id)
                ++o;
            std::vector<QSqlRecord> mine;
            for (; o < ownerRows.size() && ownerRows[o].first == id; ++o)
                mine.push_back(ownerRows[o].second);
            texts.push_back({ id, indexText(vehicles.record(), mine) });
        }
        vehicles.finish();
        for (const auto &[id, text] : texts) {
            if (!writer.add(id, text, error))
                return fail();
        }
        done += qint64(texts.size());
        if (progress)
            progress(done, total);
        if (to >= last)
            break;
        next.addBindValue(to);
        if (!runQuery(next, error))
            return fail();
        const bool more = next.next() && !next.value(0).isNull();
        from = more ? next.value(0).toLongLong() : last;
        next.finish();
        if (!more)
            break;
    }
    if (!writer.flush(error))
        return fail();
    if (pg) {
        // Made after the rows: one pass over them instead of an update per
        // row, with room to sort the trigrams in memory.
        if (!runSql(db, QStringLiteral("SET LOCAL maintenance_work_mem = '256MB'"), error)
            || !runSql(db,
                QStringLiteral("CREATE INDEX ARAMA_METIN ON ARAMA USING gin (METIN gin_trgm_ops)"),
                error))
            return fail();
    } else if (!runSql(db, QStringLiteral("INSERT INTO ARAMA (ARAMA) VALUES ('optimize')"), error)
        || !runSql(
            db, QStringLiteral("INSERT INTO ARAMA (ARAMA, rank) VALUES ('automerge', 4)"), error)) {
        return fail();
    }
    if (!db.commit()) {
        *error = db.lastError().text();
        return fail();
    }
    if (pg)
        runSql(db, QStringLiteral("ANALYZE ARAMA"), error);
    return true;
}

bool SearchIndex::find(const QSqlDatabase &db, const QString &text, std::vector<SearchHit> *hits,
    QString *error, int limit, int *candidates)
{
    hits->clear();
    if (candidates)
        *candidates = 0;
    const QStringList all = words(text);
    if (all.isEmpty())
        return true;
    // The index is asked for the longer words; a shorter one would make it
    // read every row, so it only narrows what they found.
    QStringList asked;
    for (const QString &w : all)
        if (w.size() >= kShortestWord)
            asked << w;
    if (asked.isEmpty())
        asked = all;
    // SQLite's LIKE reads every candidate's text back to check it; MATCH on
    // the words' trigrams answers from the index alone, and the few records
    // that hold the trigrams apart are dropped below like any other.
    const bool trigrams = !platform::isPostgres(db)
        && std::all_of(asked.cbegin(), asked.cend(),
            [](const QString &w) { return w.size() >= kShortestWord; });
    QStringList likes;
    QStringList pieces;
    if (trigrams) {
        for (const QString &w : asked)
            for (qsizetype i = 0; i + kShortestWord <= w.size(); ++i)
                pieces << QLatin1Char('"') + w.mid(i, kShortestWord) + QLatin1Char('"');
        pieces.removeDuplicates();
        likes << QStringLiteral("a.ARAMA MATCH ?");
    } else {
        for (qsizetype i = 0; i < asked.size(); ++i)
            likes << QStringLiteral("a.METIN LIKE ?");
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // The first owner is looked up for the rows handed back only: with a
    // limit, after the matches have been sorted and cut.
    const QString sql =
        QStringLiteral(
            "SELECT t.ID, t.ESKIPLAKA, t.YENIPLAKA, t.SASENO, t.MOTORNO, t.METIN, "
            "(SELECT COALESCE(o.AD, '') || ' ' || COALESCE(o.SOYAD, '') FROM ARACSAHIPLERI o "
            "WHERE o.ARACID = t.ID AND o.SAHIPNO = 1 ORDER BY o.ID DESC LIMIT 1) FROM "
            "(SELECT k.ID AS ID, k.ESKIPLAKA AS ESKIPLAKA, k.YENIPLAKA AS YENIPLAKA, "
            "k.SASENO AS SASENO, k.MOTORNO AS MOTORNO, a.METIN AS METIN "
            "FROM ARAMA a %1 ARACKAYIT k ON k.ID = a.%2 WHERE %3 ORDER BY k.ESKIPLAKA, k.ID%4) t "
            "ORDER BY t.ESKIPLAKA, t.ID")
            // SQLite would walk the list's index in order and ask the search
            // index row by row; CROSS JOIN keeps it on the search index first.
            .arg(platform::isPostgres(db) ? QStringLiteral("JOIN") : QStringLiteral("CROSS JOIN"),
                keyColumn(db), likes.join(QStringLiteral(" AND ")),
                limit > 0 ? QStringLiteral(" LIMIT %1").arg(limit) : QString());
    if (!q.prepare(sql)) {
        *error = q.lastError().text();
        return false;
    }
    if (trigrams)
        q.addBindValue(pieces.join(QStringLiteral(" AND ")));
    else
        for (const QString &w : asked)
            q.addBindValue(QLatin1Char('%') + w + QLatin1Char('%'));
    if (!runQuery(q, error))
        return false;
    while (q.next()) {
        if (candidates)
            ++*candidates;
        const QString indexed = q.value(5).toString();
        QStringList said;
        bool former = false;
        bool all_found = true;
        for (const QString &w : all) {
            const Match m = matchWord(indexed, w);
            if (!m.field) {
                all_found = false;
                break;
            }
            former = former || m.role == kFormerOwner;
            const QString d = describe(m);
            if (!said.contains(d))
                said << d;
        }
        if (!all_found)
            continue;
        SearchHit hit;
        hit.id = q.value(0).toLongLong();
        hit.eskiPlaka = q.value(1).toString().trimmed();
        hit.yeniPlaka = q.value(2).toString().trimmed();
        hit.saseNo = q.value(3).toString().trimmed();
        hit.motorNo = q.value(4).toString().trimmed();
        hit.owner = q.value(6).toString().trimmed();
        hit.matched = said.join(QStringLiteral(", "));
        hit.formerOwner = former;
        hits->push_back(std::move(hit));
    }
    return true;
}

} // namespace records
