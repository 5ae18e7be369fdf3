#include "searchindex.h"

#include "app/entryroutines.h"
#include "platform/idquery.h"
#include "platform/pgcopy.h"
#include "platform/pgtogether.h"
#include "platform/storedialect.h"
#include "platform/storedtext.h"

#include <QCryptographicHash>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cstring>
#include <future>
#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace records {

namespace {

// A record's index text is a run of fields, each: kFieldStart, the role (who
// holds the value), the field's code, then the folded value. Roles and codes
// are signs a folded word never holds, so what a typed word matches in the
// text lies inside one value.
constexpr char16_t kFieldStart = 0x1e;
constexpr char16_t kVehicle = 0x01;
constexpr char16_t kFormerOwner = 0x05; // current owners are 0x02 to 0x04, by slot
// The server's advisory lock held while the index is made ("Arama").
constexpr qint64 kBuildLock = 0x4172616d61;

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

// A name, street or brand keeps its words (letters and digits, one blank
// between); a number or code its letters and digits alone, so "34 ABC 12" is
// 34ABC12.
QString fold(const QString &value, bool words)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const QChar f = foldChar(c);
        if (f.isLetterOrNumber())
            out += f;
        else if (words && !out.isEmpty() && !out.endsWith(QLatin1Char(' ')))
            out += QLatin1Char(' ');
    }
    if (out.endsWith(QLatin1Char(' ')))
        out.chop(1);
    return out;
}

void addField(QString *text, char16_t role, const SearchField &f, const QVariant &value)
{
    if (value.isNull())
        return;
    const QString plain = value.toString();
    const QString folded = fold(plain, !f.anywhere);
    if (folded.isEmpty())
        return;
    *text += QChar(kFieldStart);
    *text += QChar(role);
    *text += QLatin1Char(f.code);
    *text += folded;
}

// A row's searched values in the order of its field table, Null where the
// store has no such column; read by position, as a row's names cost more to
// look up than its values.
struct Row {
    qint64 key = 0; // the vehicle's ID, or the owner's ARACID
    int slot = 0;
    std::vector<QVariant> values;
};

// The columns of a field table the store has, for a SELECT after `first`
// leading columns, and where each field's value lands (-1: not there).
struct Selected {
    QString columns;
    std::vector<int> at;
};

template<size_t N>
Selected selectedColumns(
    const QSqlDatabase &db, const QString &table, const SearchField (&fields)[N], int first)
{
    const QSqlRecord there = platform::tableRecord(db, table);
    Selected s;
    for (const SearchField &f : fields) {
        if (there.contains(QLatin1String(f.column))) {
            s.columns += QStringLiteral(", ") + QLatin1String(f.column);
            s.at.push_back(first++);
        } else {
            s.at.push_back(-1);
        }
    }
    return s;
}

Row readRow(const QSqlDatabase &db, const QSqlQuery &q, const Selected &sel, int slotAt,
    const QString &table)
{
    Row r;
    r.key = q.value(0).toLongLong();
    if (slotAt >= 0)
        r.slot = q.value(slotAt).toInt();
    r.values.reserve(sel.at.size());
    bool mangled = false;
    for (const int at : sel.at) {
        r.values.push_back(at < 0 ? QVariant() : q.value(at));
        mangled = mangled
            || (r.values.back().typeId() == QMetaType::QString
                && r.values.back().toString().contains(QChar::ReplacementCharacter));
    }
    if (mangled) {
        // Bytes an older tool wrote in the Turkish code page: found by their
        // letters, as the list and the load show them.
        QSqlRecord row = q.record();
        platform::mendStoredText(db, table, &row);
        for (size_t i = 0; i < sel.at.size(); ++i)
            if (sel.at[i] >= 0)
                r.values[i] = row.value(sel.at[i]);
    }
    return r;
}

// The index text of a vehicle and its owner rows (in ID order). The row of
// the highest ID in slot 1, 2 or 3 is that slot's owner; every other row is
// a former owner.
QString indexText(const Row &vehicle, const Row *const *owners, size_t count)
{
    QString text;
    for (size_t i = 0; i < std::size(kVehicleFields); ++i)
        addField(&text, kVehicle, kVehicleFields[i], vehicle.values[i]);
    std::array<int, 3> current { -1, -1, -1 };
    for (int i = 0; i < int(count); ++i) {
        const int slot = owners[i]->slot;
        if (slot >= 1 && slot <= 3)
            current[size_t(slot - 1)] = i;
    }
    for (int i = 0; i < int(count); ++i) {
        const auto it = std::find(current.cbegin(), current.cend(), i);
        const char16_t role =
            it == current.cend() ? kFormerOwner : char16_t(kVehicle + 1 + (it - current.cbegin()));
        for (size_t f = 0; f < std::size(kOwnerFields); ++f)
            addField(&text, role, kOwnerFields[f], owners[i]->values[f]);
    }
    return text;
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

// What the index is given of a record's text: its values alone, each once,
// one a line. The field and owner marks are for the check, which reads the
// records anyway; in the index each mark and each repeated value would add
// pieces of three that no typed word holds.
QString indexedForm(const QString &text)
{
    QStringList values;
    for (const QStringView field :
        QStringView(text).split(QChar(kFieldStart), Qt::SkipEmptyParts)) {
        const QString value = field.mid(2).toString();
        if (!value.isEmpty() && !values.contains(value))
            values << value;
    }
    return values.join(QLatin1Char('\n'));
}

// What a text the index was given is known by: the index keeps no text of its
// own, and a record's entry may only be taken out by the words it went in with.
qint64 fingerprint(const QString &text)
{
    const QByteArray digest = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5);
    qint64 value = 0;
    std::memcpy(&value, digest.constData(), sizeof value);
    return value;
}

// A record's row as the index is given it: its values, and what they are
// known by.
struct IndexRow {
    qint64 id = 0;
    QString text;
    qint64 print = 0;
};

IndexRow indexRow(qint64 id, const QString &recordText)
{
    IndexRow row { id, indexedForm(recordText), 0 };
    row.print = fingerprint(row.text);
    return row;
}

// Writes index rows in batches: on the server, one statement per row would
// cost a round trip each.
class RowWriter {
public:
    RowWriter(QSqlDatabase &db)
        : db_(db)
    {
    }
    bool add(IndexRow row, QString *error)
    {
        rows_.push_back(std::move(row));
        return rows_.size() < kBatch || flush(error);
    }
    // One statement for the batch: the text index puts a statement's words
    // into its lists at the statement's end, and a list a row would be merged
    // again and again.
    bool flush(QString *error)
    {
        if (rows_.empty())
            return true;
        QVariantList texts;
        QVariantList prints;
        texts.reserve(qsizetype(rows_.size()) * 2);
        prints.reserve(qsizetype(rows_.size()) * 2);
        for (const IndexRow &r : rows_) {
            texts << r.id << r.text;
            prints << r.id << r.print;
        }
        QStringList marks;
        marks.fill(QStringLiteral("(?, ?)"), int(rows_.size()));
        const QString values = marks.join(QStringLiteral(", "));
        rows_.clear();
        return platform::execBound(db_,
                   QStringLiteral("INSERT INTO ARAMA (rowid, METIN) VALUES ") + values, texts,
                   error)
            && platform::execBound(db_,
                QStringLiteral("INSERT OR REPLACE INTO ARAMAIZI (ID, IZ) VALUES ") + values, prints,
                error);
    }

private:
    static constexpr size_t kBatch = 200;
    QSqlDatabase &db_;
    std::vector<IndexRow> rows_;
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

// Whether the store has a table of the index's name, of any shape.
bool present(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (platform::isPostgres(db))
        return q.exec(QStringLiteral("SELECT to_regclass('arama') IS NOT NULL")) && q.next()
            && q.value(0).toBool();
    return q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'ARAMA'")) && q.next();
}

// A stored record as the search sees it: the list's columns and its index text.
struct Indexed {
    qint64 id = 0;
    QString eskiPlaka;
    QString yeniPlaka;
    QString saseNo;
    QString motorNo;
    QString owner;
    QString text;
};

QString idList(const std::vector<qint64> &ids, size_t from, size_t to)
{
    QStringList out;
    for (size_t i = from; i < to; ++i)
        out << QString::number(ids[i]);
    return out.join(QLatin1Char(','));
}

// The records of ids (in any order) with their owners, read a batch at a
// time, handed back in the order of ids; a number no record has is left out.
struct RecordColumns {
    explicit RecordColumns(const QSqlDatabase &db)
        : vehicle(selectedColumns(db, QStringLiteral("ARACKAYIT"), kVehicleFields, 1))
        , owner(selectedColumns(db, QStringLiteral("ARACSAHIPLERI"), kOwnerFields, 3))
    {
    }
    Selected vehicle;
    Selected owner;
};

// The columns of the connections searched last: on the server, asking the
// catalogue for them costs as much as a search. A connection's store gains
// columns only by an upgrade, made before anything is searched; one whose
// store lost a column (another store put in its place) is asked again when
// its read fails.
class KnownColumns {
public:
    RecordColumns of(const QSqlDatabase &db)
    {
        const QString name = db.connectionName();
        for (const auto &[known, columns] : known_)
            if (known == name)
                return columns;
        RecordColumns columns(db);
        // A catalogue that could not be read is asked again next time.
        if (columns.vehicle.columns.isEmpty())
            return columns;
        if (known_.size() >= kKept)
            known_.erase(known_.begin());
        known_.emplace_back(name, columns);
        return columns;
    }
    void forget(const QSqlDatabase &db)
    {
        const QString name = db.connectionName();
        std::erase_if(known_, [&](const auto &k) { return k.first == name; });
    }

private:
    static constexpr size_t kKept = 8;
    std::vector<std::pair<QString, RecordColumns>> known_;
};

KnownColumns &knownColumns()
{
    static KnownColumns known;
    return known;
}

bool readRecords(const QSqlDatabase &db, const RecordColumns &columns,
    const std::vector<qint64> &ids, std::vector<Indexed> *out, QString *error)
{
    constexpr size_t kBatch = 500;
    const Selected &vehicleColumns = columns.vehicle;
    const Selected &ownerColumns = columns.owner;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    std::vector<Row> owners;
    std::vector<const Row *> mine;
    for (size_t from = 0; from < ids.size(); from += kBatch) {
        const size_t to = std::min(ids.size(), from + kBatch);
        const QString in = idList(ids, from, to);
        if (!q.exec(QStringLiteral("SELECT ARACID, ID, SAHIPNO%1 FROM ARACSAHIPLERI WHERE "
                                   "ARACID IN (%2) ORDER BY ARACID, ID")
                        .arg(ownerColumns.columns, in))) {
            *error = q.lastError().text();
            return false;
        }
        owners.clear();
        while (q.next())
            owners.push_back(readRow(db, q, ownerColumns, 2, QStringLiteral("ARACSAHIPLERI")));
        q.finish();
        if (!q.exec(QStringLiteral("SELECT ID%1 FROM ARACKAYIT WHERE ID IN (%2)")
                        .arg(vehicleColumns.columns, in))) {
            *error = q.lastError().text();
            return false;
        }
        std::unordered_map<qint64, Indexed> found;
        while (q.next()) {
            const Row vehicle = readRow(db, q, vehicleColumns, -1, QStringLiteral("ARACKAYIT"));
            Indexed r;
            r.id = vehicle.key;
            r.eskiPlaka = vehicle.values[0].toString().trimmed();
            r.yeniPlaka = vehicle.values[1].toString().trimmed();
            r.saseNo = vehicle.values[2].toString().trimmed();
            r.motorNo = vehicle.values[3].toString().trimmed();
            mine.clear();
            const auto first = std::lower_bound(owners.cbegin(), owners.cend(), r.id,
                [](const Row &o, qint64 id) { return o.key < id; });
            for (auto o = first; o != owners.cend() && o->key == r.id; ++o) {
                mine.push_back(&*o);
                // The first owner: slot 1's row saved last.
                if (o->slot == 1)
                    r.owner = (o->values[1].toString() + QLatin1Char(' ') + o->values[2].toString())
                                  .trimmed();
            }
            r.text = indexText(vehicle, mine.data(), mine.size());
            found.emplace(r.id, std::move(r));
        }
        q.finish();
        for (size_t i = from; i < to; ++i) {
            auto it = found.find(ids[i]);
            if (it != found.end())
                out->push_back(std::move(it->second));
        }
    }
    return true;
}
} // namespace

QStringList SearchIndex::words(const QString &text)
{
    QStringList out;
    for (const QString &w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString folded = fold(w, false);
        if (!folded.isEmpty())
            out << folded;
    }
    return out;
}

bool SearchIndex::exists(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    // One whose making was cut short, with its texts but without their
    // trigram index, is made anew.
    if (platform::isPostgres(db))
        return q.exec(QStringLiteral("SELECT to_regclass('arama_metin') IS NOT NULL")) && q.next()
            && q.value(0).toBool();
    // An index that keeps its own copy of the text (an earlier version's) is
    // made anew: the records hold that text already.
    if (!q.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'ARAMA'")) || !q.next()
        || !q.value(0).toString().contains(QLatin1String("content=''")))
        return false;
    q.finish();
    return q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'ARAMAIZI'"))
        && q.next();
}

bool SearchIndex::complete(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT (SELECT count(*) FROM ARACKAYIT), "
                                 "(SELECT count(*) FROM ARAMA)"))
        && q.next() && q.value(0).toLongLong() == q.value(1).toLongLong();
}

bool SearchIndex::textOf(const QSqlDatabase &db, qint64 vehicleId, QString *text, QString *error)
{
    text->clear();
    std::vector<Indexed> rows;
    if (!readRecords(db, RecordColumns(db), { vehicleId }, &rows, error))
        return false;
    // Null for a record not stored; empty, not Null, for one with nothing to find.
    if (!rows.empty())
        *text = rows.front().text.isNull() ? QStringLiteral("") : rows.front().text;
    return true;
}

bool SearchIndex::textBefore(
    const QSqlDatabase &db, qint64 vehicleId, QString *text, QString *error)
{
    // The server takes an entry out by its record's number alone.
    if (platform::isPostgres(db) || !exists(db)) {
        *text = QString();
        return true;
    }
    return textOf(db, vehicleId, text, error);
}

bool SearchIndex::refresh(QSqlDatabase &db, qint64 vehicleId, const QString &before, QString *error)
{
    // On the server a large index is made after its texts' commit: a save
    // meanwhile writes its text, which the index being made takes in.
    if (!(platform::isPostgres(db) ? present(db) : exists(db)))
        return true;
    QString now;
    if (!textOf(db, vehicleId, &now, error))
        return false;
    QSqlQuery q(db);
    if (platform::isPostgres(db)) {
        q.prepare(QStringLiteral("DELETE FROM ARAMA WHERE ARACID = ?"));
        q.addBindValue(vehicleId);
        if (!runQuery(q, error))
            return false;
    } else if (!before.isNull()) {
        // A record's entry leaves the index by the words it went in with. If
        // its rows changed behind the program's back since (or the index never
        // had it), those words are not known: only the entry's count is taken
        // out, and its old words stay to name a record the check turns away.
        // Taking out words an entry never had would leave the index unreadable.
        q.prepare(QStringLiteral("SELECT IZ FROM ARAMAIZI WHERE ID = ?"));
        q.addBindValue(vehicleId);
        if (!runQuery(q, error))
            return false;
        const bool indexed = q.next();
        const QString gone = indexedForm(before);
        const bool same = indexed && q.value(0).toLongLong() == fingerprint(gone);
        q.finish();
        if (indexed) {
            q.prepare(
                QStringLiteral("INSERT INTO ARAMA (ARAMA, rowid, METIN) VALUES ('delete', ?, ?)"));
            q.addBindValue(vehicleId);
            q.addBindValue(same ? gone : QStringLiteral(""));
            if (!runQuery(q, error))
                return false;
            q.prepare(QStringLiteral("DELETE FROM ARAMAIZI WHERE ID = ?"));
            q.addBindValue(vehicleId);
            if (!runQuery(q, error))
                return false;
        }
    }
    if (now.isNull())
        return true;
    if (platform::isPostgres(db)) {
        q.prepare(QStringLiteral("INSERT INTO ARAMA (ARACID, METIN) VALUES (?, ?)"));
        q.addBindValue(vehicleId);
        q.addBindValue(indexedForm(now));
        return runQuery(q, error);
    }
    RowWriter writer(db);
    return writer.add(indexRow(vehicleId, now), error) && writer.flush(error);
}

namespace {

// The texts of a store in parts, committed: each part's trigram index is made
// in a session of its own at the same time, then the whole table's index is
// made of them (the server only attaches them). A save on another desk
// meanwhile waits for the parts, as it would for a whole index made in one
// transaction, and says the store is busy if they outlast its lock bound
// (making them without holding saves off took half as long again). Until the
// whole index is there a start counts the store as one without it, and one
// left half made is made anew.
bool indexParts(QSqlDatabase &db, int parts, QString *error)
{
    const QStringList setup = { QStringLiteral("SET statement_timeout = 0"),
        QStringLiteral("SET maintenance_work_mem = '256MB'") };
    QStringList statements;
    for (int p = 0; p < parts; ++p)
        statements << QStringLiteral(
            "CREATE INDEX ARAMA_%1_METIN ON ARAMA_%1 USING gin (METIN gin_trgm_ops)")
                          .arg(p);
    bool ok = true;
    for (const QString &s : setup)
        ok = ok && runSql(db, s, error);
    ok = ok && platform::runTogether(db, setup, statements, error)
        && runSql(db,
            QStringLiteral("CREATE INDEX ARAMA_METIN ON ARAMA USING gin (METIN gin_trgm_ops)"),
            error);
    QString ignored;
    runSql(db, QStringLiteral("RESET statement_timeout"), &ignored);
    runSql(db, QStringLiteral("RESET maintenance_work_mem"), &ignored);
    if (ok)
        runSql(db, QStringLiteral("ANALYZE ARAMA"), &ignored);
    return ok;
}

} // namespace

bool SearchIndex::build(QSqlDatabase &db, const Progress &progress, QString *error, int parts)
{
    const bool pg = platform::isPostgres(db);
    // Two desks starting at once make the server's index once: the second
    // goes on without it and finds it made when the first is done. The lock
    // is the session's, as a large index is made after its rows' commit.
    bool locked = false;
    const auto unlock = qScopeGuard([&] {
        if (locked)
            QSqlQuery(db).exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(kBuildLock));
    });
    if (pg) {
        QSqlQuery lock(db);
        if (!lock.exec(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(kBuildLock))
            || !lock.next()) {
            *error = lock.lastError().text();
            return false;
        }
        locked = lock.value(0).toBool();
        if (!locked)
            return true;
    }
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    auto fail = [&] {
        db.rollback();
        return false;
    };
    // The index of a large store takes longer than a save may wait.
    if (pg && !runSql(db, QStringLiteral("SET LOCAL statement_timeout = 0"), error))
        return fail();
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
    if (!pg)
        parts = 1;
    else if (parts <= 0)
        parts = total >= kPartedFrom ? 2 : 1;
    // Asked first, so the server has no notice to print about a missing table.
    if (present(db) && !runSql(db, QStringLiteral("DROP TABLE ARAMA"), error))
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
                    "CREATE TABLE ARAMA (ARACID bigint PRIMARY KEY, METIN text NOT NULL)%1")
                    .arg(parts > 1 ? QStringLiteral(" PARTITION BY HASH (ARACID)") : QString()),
                error))
            return fail();
        // A large store's texts in parts by ID, each indexed in a session of
        // its own at the same time.
        for (int p = 0; p < parts && parts > 1; ++p) {
            if (!runSql(db,
                    QStringLiteral("CREATE TABLE ARAMA_%1 PARTITION OF ARAMA FOR VALUES WITH "
                                   "(MODULUS %2, REMAINDER %1)")
                        .arg(p)
                        .arg(parts),
                    error))
                return fail();
        }
    } else if (!runSql(db, QStringLiteral("DROP TABLE IF EXISTS ARAMAIZI"), error)
        || !runSql(db,
            QStringLiteral("CREATE VIRTUAL TABLE ARAMA USING fts5(METIN, content='', "
                           "tokenize = 'trigram', detail = 'none')"),
            error)
        || !runSql(db,
            QStringLiteral("CREATE TABLE ARAMAIZI (ID INTEGER PRIMARY KEY, IZ INTEGER NOT NULL)"),
            error)
        // Merged once at the end rather than as the rows arrive.
        || !runSql(
            db, QStringLiteral("INSERT INTO ARAMA (ARAMA, rank) VALUES ('automerge', 0)"), error)) {
        return fail();
    }
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
    const Selected vehicleColumns =
        selectedColumns(db, QStringLiteral("ARACKAYIT"), kVehicleFields, 1);
    const Selected ownerColumns =
        selectedColumns(db, QStringLiteral("ARACSAHIPLERI"), kOwnerFields, 3);
    vehicles.prepare(
        QStringLiteral("SELECT ID%1 FROM ARACKAYIT WHERE ID >= ? AND ID <= ? ORDER BY ID")
            .arg(vehicleColumns.columns));
    owners.prepare(QStringLiteral("SELECT ARACID, ID, SAHIPNO%1 FROM ARACSAHIPLERI WHERE "
                                  "ARACID >= ? AND ARACID <= ? ORDER BY ARACID, ID")
                       .arg(ownerColumns.columns));
    // A slice is folded on a thread of its own while the one before is
    // written: the folding is as much work as the writing.
    std::future<std::vector<IndexRow>> folding;
    auto writeFolded = [&]() -> bool {
        if (!folding.valid())
            return true;
        std::vector<IndexRow> rows = folding.get();
        if (pg) {
            // A slice's texts in one COPY: the connection reads the next
            // slice after it ends.
            platform::PgCopy copy(
                db, QStringLiteral("ARAMA"), { QStringLiteral("ARACID"), QStringLiteral("METIN") });
            for (const IndexRow &r : rows)
                if (!copy.add({ r.id, r.text }))
                    break;
            if (!copy.finish()) {
                *error = copy.error();
                return false;
            }
        } else {
            for (IndexRow &r : rows)
                if (!writer.add(std::move(r), error))
                    return false;
        }
        done += qint64(rows.size());
        if (progress)
            progress(done, total);
        return true;
    };
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
        std::vector<Row> ownerRows;
        while (owners.next())
            ownerRows.push_back(
                readRow(db, owners, ownerColumns, 2, QStringLiteral("ARACSAHIPLERI")));
        owners.finish();
        vehicles.addBindValue(from);
        vehicles.addBindValue(to);
        if (!runQuery(vehicles, error))
            return fail();
        std::vector<Row> vehicleRows;
        while (vehicles.next())
            vehicleRows.push_back(
                readRow(db, vehicles, vehicleColumns, -1, QStringLiteral("ARACKAYIT")));
        vehicles.finish();
        auto folded = std::async(std::launch::async,
            [vehicleRows = std::move(vehicleRows), ownerRows = std::move(ownerRows)] {
                std::vector<IndexRow> rows;
                rows.reserve(vehicleRows.size());
                std::vector<const Row *> mine;
                size_t o = 0;
                for (const Row &vehicle : vehicleRows) {
                    while (o < ownerRows.size() && ownerRows[o].key < vehicle.key)
                        ++o;
                    mine.clear();
                    for (; o < ownerRows.size() && ownerRows[o].key == vehicle.key; ++o)
                        mine.push_back(&ownerRows[o]);
                    rows.push_back(
                        indexRow(vehicle.key, indexText(vehicle, mine.data(), mine.size())));
                }
                return rows;
            });
        if (!writeFolded())
            return fail();
        folding = std::move(folded);
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
    if (!writeFolded())
        return fail();
    if (!writer.flush(error))
        return fail();
    if (pg && parts > 1) {
        if (!db.commit()) {
            *error = db.lastError().text();
            return fail();
        }
        return indexParts(db, parts, error);
    }
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
    SearchCursor cursor(db, text);
    const bool ok = cursor.next(limit, hits, error);
    if (candidates)
        *candidates = cursor.candidates();
    return ok;
}

// Where a search stands between two parts of it.
struct SearchCursor::State {
    QSqlDatabase db;
    QString text;
    bool started = false;
    bool ended = false;
    int candidates = 0;
    QStringList all; // every typed word, folded
    bool pg = false;
    // The candidates: found (sorted by ID) for the store to order or the walk
    // to meet; on the server also sql, the candidates in the list's order.
    std::vector<qint64> found;
    QString sql;
    QVariantList binds;
    bool serverOrdered = false;
    std::vector<qint64> head; // the matches among the list's first rows
    bool walk = false;
    size_t sortedFrom = 0;
    qint64 walked = 0;
    qint64 walkPage = 0;
    bool walkedAll = false;
    bool paged = false; // read a page at a time, not all at once
    std::optional<RecordColumns> columns;
    bool columnsAsked = false;
    std::unordered_set<qint64> handed; // the records handed over so far
    std::vector<qint64> slice; // candidates in the list's order, not yet read
    size_t next = 0;
    std::vector<Indexed> rows; // records read, not yet checked
    size_t rowAt = 0;

    bool start(int limit, QString *error);
    bool nextSlice(QString *error);
    bool readNext(size_t want, QString *error);
};

SearchCursor::SearchCursor(const QSqlDatabase &db, const QString &text)
    : d_(std::make_unique<State>())
{
    d_->db = db;
    d_->text = text;
}

SearchCursor::~SearchCursor() = default;

bool SearchCursor::atEnd() const
{
    return d_->ended;
}

int SearchCursor::candidates() const
{
    return d_->candidates;
}

bool SearchCursor::State::start(int limit, QString *error)
{
    all = SearchIndex::words(text);
    if (all.isEmpty())
        return true;
    // The index is asked for the longer words; a shorter one would make it
    // name every record, so it only narrows what they found.
    QStringList asked;
    for (const QString &w : all)
        if (w.size() >= SearchIndex::kShortestWord)
            asked << w;
    pg = platform::isPostgres(db);
    paged = limit > 0;
    QString pgWords; // the server's condition on the texts a.METIN
    if (asked.isEmpty()) {
        // Only short words (a script's --find "34"): every record is a candidate.
        sql = QStringLiteral("SELECT ID FROM ARACKAYIT ORDER BY ID");
    } else if (pg) {
        // The server's planner meets a common word's first screenful by
        // walking the list's index, a rare word by the trigram index: it is
        // asked for the candidates in the list's order, a page at a time.
        QStringList likes;
        for (const QString &w : asked) {
            likes << QStringLiteral("a.METIN LIKE ?");
            binds << QString(QLatin1Char('%') + w + QLatin1Char('%'));
        }
        pgWords = likes.join(QStringLiteral(" AND "));
        sql = QStringLiteral("SELECT k.ID FROM ARAMA a JOIN ARACKAYIT k ON k.ID = a.ARACID "
                             "WHERE %1 ORDER BY k.ESKIPLAKA, k.ID")
                  .arg(pgWords);
    } else {
        // A word with letters is asked by pieces that cover it (YIL, MAZ):
        // each piece asked costs a walk of its list, and names seldom hold
        // the pieces apart. Digits are asked by every piece: the same three
        // digits lie in many numbers, and each record let through costs a
        // read to check.
        constexpr int n = SearchIndex::kShortestWord;
        QStringList pieces;
        for (const QString &w : asked) {
            const bool digits =
                std::all_of(w.cbegin(), w.cend(), [](QChar c) { return c.isDigit(); });
            const qsizetype step = digits ? 1 : n;
            for (qsizetype i = 0;; i += step) {
                const qsizetype at = std::min(i, w.size() - n);
                pieces << QLatin1Char('"') + w.mid(at, n) + QLatin1Char('"');
                if (at == w.size() - n)
                    break;
            }
        }
        pieces.removeDuplicates();
        sql = QStringLiteral("SELECT rowid FROM ARAMA WHERE ARAMA MATCH ?");
        binds << pieces.join(QStringLiteral(" AND "));
    }
    serverOrdered = pg && !asked.isEmpty();
    // Numbers are seldom shared by many records; names often are.
    const bool names = std::any_of(asked.cbegin(), asked.cend(), [](const QString &w) {
        return std::any_of(w.cbegin(), w.cend(), [](QChar c) { return !c.isDigit(); });
    });
    if (serverOrdered && limit > 0 && names) {
        // A name many records hold fills the first screenful from the list's
        // first rows: those are read with their texts, one by one, which
        // costs less than asking the trigram index how common the name is.
        if (!platform::readIds(db,
                QStringLiteral("SELECT s.ID FROM (SELECT ID, ESKIPLAKA FROM ARACKAYIT ORDER BY "
                               "ESKIPLAKA, ID LIMIT %1) s, LATERAL (SELECT METIN FROM ARAMA a "
                               "WHERE a.ARACID = s.ID OFFSET 0) a WHERE %2 "
                               "ORDER BY s.ESKIPLAKA, s.ID LIMIT %3")
                    .arg(SearchIndex::kHeadRows)
                    .arg(pgWords)
                    .arg(limit + 8),
                binds, &head, error))
            return false;
        if (head.size() < size_t(limit))
            head.clear();
    }
    if (serverOrdered && head.empty()) {
        // The planner cannot tell a rare piece of a number from a common one:
        // walking the list's order for a number held by a few records cost
        // seconds at a million. So the trigram index is asked first whether
        // the word is rare; only a common one is left to the list's order.
        QSqlQuery(db).exec(QStringLiteral("SET enable_seqscan = off"));
        const bool probed = platform::readIds(db,
            QStringLiteral("SELECT a.ARACID FROM ARAMA a WHERE %1 LIMIT %2")
                .arg(pgWords)
                .arg(SearchIndex::kSortedCandidates + 1),
            binds, &found, error);
        QSqlQuery(db).exec(QStringLiteral("RESET enable_seqscan"));
        if (!probed)
            return false;
        serverOrdered = found.size() > SearchIndex::kSortedCandidates;
        if (serverOrdered)
            found.clear();
        else
            std::sort(found.begin(), found.end());
        if (!serverOrdered)
            candidates = int(found.size());
    } else if (!serverOrdered) {
        if (!platform::readIds(db, sql, binds, &found, error))
            return false;
        std::sort(found.begin(), found.end());
        candidates = int(std::min<size_t>(found.size(), std::numeric_limits<int>::max()));
    }
    // The candidates in the list's order, a slice at a time, each slice
    // checked against the records themselves until the screenful is whole.
    // Few candidates are sorted by the store; many are met by walking the
    // list's own index, where the first screenful lies near the start.
    walk = found.size() > SearchIndex::kSortedCandidates;
    // A screenful and a few more first: most of a page is checked at once.
    walkPage = serverOrdered ? std::max(limit + 8, 16) : SearchIndex::kWalkPage;
    columns = knownColumns().of(db);
    return true;
}

bool SearchCursor::State::nextSlice(QString *error)
{
    slice.clear();
    next = 0;
    if (serverOrdered) {
        if (!head.empty()) {
            walked = qint64(head.size());
            candidates = int(head.size());
            slice.swap(head);
            head.clear();
            return true;
        }
        if (walkedAll)
            return true;
        const QString cut =
            paged ? QStringLiteral(" LIMIT %1 OFFSET %2").arg(walkPage).arg(walked) : QString();
        if (!platform::readIds(db, sql + cut, binds, &slice, error))
            return false;
        if (walked == 0)
            candidates = int(slice.size());
        walked += qint64(slice.size());
        walkedAll = !paged || slice.size() < size_t(walkPage);
        walkPage *= 2;
        return true;
    }
    if (!walk) {
        if (sortedFrom >= found.size())
            return true;
        const size_t to = std::min(found.size(), sortedFrom + SearchIndex::kSortedCandidates);
        const QString in = idList(found, sortedFrom, to);
        sortedFrom = to;
        return platform::readIds(db,
            QStringLiteral("SELECT ID FROM ARACKAYIT WHERE ID IN (%1) ORDER BY ESKIPLAKA, ID")
                .arg(in),
            {}, &slice, error);
    }
    std::vector<qint64> page;
    while (slice.empty() && !walkedAll) {
        page.clear();
        // A whole search reads the order at once; a screenful reads pages
        // that double, so a rare word costs no more than a few skips.
        const QString cut =
            paged ? QStringLiteral(" LIMIT %1 OFFSET %2").arg(walkPage).arg(walked) : QString();
        if (!platform::readIds(db,
                QStringLiteral("SELECT ID FROM ARACKAYIT ORDER BY ESKIPLAKA, ID") + cut, {}, &page,
                error))
            return false;
        walked += qint64(page.size());
        walkedAll = !paged || page.size() < size_t(walkPage);
        walkPage *= 2;
        for (const qint64 id : page)
            if (std::binary_search(found.cbegin(), found.cend(), id))
                slice.push_back(id);
    }
    return true;
}

// Reads up to want more of the slice's records for the check.
bool SearchCursor::State::readNext(size_t want, QString *error)
{
    const size_t to = std::min(slice.size(), next + want);
    const std::vector<qint64> part(slice.begin() + qsizetype(next), slice.begin() + qsizetype(to));
    next = to;
    rows.clear();
    rowAt = 0;
    if (readRecords(db, *columns, part, &rows, error))
        return true;
    // A column another program took out: asked once more. Any other failure
    // (a statement's time bound) is said at once.
    if (columnsAsked || !error->contains(QLatin1String("column"), Qt::CaseInsensitive))
        return false;
    knownColumns().forget(db);
    columns = knownColumns().of(db);
    columnsAsked = true;
    rows.clear();
    return readRecords(db, *columns, part, &rows, error);
}

bool SearchCursor::next(int count, std::vector<SearchHit> *hits, QString *error)
{
    State &s = *d_;
    if (!s.started) {
        s.started = true;
        if (!s.start(count, error)) {
            s.ended = true;
            return false;
        }
        s.ended = s.all.isEmpty() || (!s.serverOrdered && s.found.empty());
    }
    int added = 0;
    while (!s.ended && (count <= 0 || added < count)) {
        if (s.rowAt >= s.rows.size()) {
            if (s.next >= s.slice.size()) {
                if (!s.nextSlice(error))
                    return false;
                if (s.slice.empty()) {
                    s.ended = true;
                    break;
                }
            }
            // Only as many records read as the part still lacks (and a few
            // for those the check turns away): each costs its owners' rows.
            const size_t want = count > 0 ? size_t(count - added) + 8 : s.slice.size() - s.next;
            if (!s.readNext(want, error))
                return false;
            // The records of the part read may all be gone since.
            continue;
        }
        Indexed &r = s.rows[s.rowAt++];
        QStringList said;
        bool former = false;
        bool allFound = true;
        for (const QString &w : s.all) {
            const Match m = matchWord(r.text, w);
            if (!m.field) {
                allFound = false;
                break;
            }
            former = former || m.role == kFormerOwner;
            const QString d = describe(m);
            if (!said.contains(d))
                said << d;
        }
        // A record another desk saved into the part of the list already
        // handed over moves the pages after it by one.
        if (!allFound || !s.handed.insert(r.id).second)
            continue;
        SearchHit hit;
        hit.id = r.id;
        hit.eskiPlaka = std::move(r.eskiPlaka);
        hit.yeniPlaka = std::move(r.yeniPlaka);
        hit.saseNo = std::move(r.saseNo);
        hit.motorNo = std::move(r.motorNo);
        hit.owner = std::move(r.owner);
        hit.matched = said.join(QStringLiteral(", "));
        hit.formerOwner = former;
        hits->push_back(std::move(hit));
        ++added;
    }
    return true;
}

} // namespace records
