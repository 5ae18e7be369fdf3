#include "jetfile.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <mdbtools.h>

#include <cmath>
#include <cstring>

namespace platform {

namespace {

constexpr int kJet3Page = 2048;
constexpr int kJet4Page = 4096;
// Room for a text or memo in UTF-8: far more than any column of the store
// takes, and small enough that libmdb's buffer of this size, taken for
// every value, comes from the heap rather than from a mapping of its own.
constexpr size_t kBindSize = 32768;

// The header's secret part is scrambled with a fixed RC4 key; the password
// and the settings lie in it.
QByteArray rc4(const QByteArray &key, const QByteArray &data)
{
    unsigned char s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 255;
        std::swap(s[i], s[j]);
    }
    QByteArray out(data.size(), Qt::Uninitialized);
    for (int n = 0, i = 0, j = 0; n < data.size(); ++n) {
        i = (i + 1) & 255;
        j = (j + s[i]) & 255;
        std::swap(s[i], s[j]);
        out[n] = static_cast<char>(data[n] ^ s[(s[i] + s[j]) & 255]);
    }
    return out;
}

quint32 le32(const QByteArray &b, int at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

// Checks what libmdb takes on trust: the header, the size, the password.
// Returns the Jet version (3 or 4), or 0 with the reason.
int checkHeader(const QString &path, QString *why)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("Dosya okunamadı: %1").arg(f.errorString());
        return 0;
    }
    const QByteArray head = f.read(kJet4Page);
    const qint64 size = f.size();
    if (head.size() < 0x20 || !head.startsWith(QByteArray("\x00\x01\x00\x00", 4))
        || head.mid(4, 15) != "Standard Jet DB") {
        *why = head.mid(4, 15) == "Standard ACE DB"
            ? QStringLiteral("Dosya Access 2007 ve sonrasının biçiminde (.accdb); yalnız Jet 3 "
                             "ve Jet 4 (.mdb) dosyaları okunur.")
            : QStringLiteral("Dosya bir Jet (Access .mdb) veritabanı değil.");
        return 0;
    }
    const quint32 raw = le32(head, 0x14);
    if (raw > 1) {
        *why = QStringLiteral("Dosyanın Jet sürümü tanınmıyor; yalnız Jet 3 ve Jet 4 (.mdb) "
                              "dosyaları okunur.");
        return 0;
    }
    const int version = raw == 0 ? 3 : 4;
    const int page = version == 3 ? kJet3Page : kJet4Page;
    if (size < 3 * page || head.size() < page || size % page != 0) {
        *why = QStringLiteral("Dosya eksik: boyu (%1 bayt) Jet sayfalarının tam katı değil; "
                              "kopyalanırken ya da kaydedilirken kesilmiş olabilir.")
                   .arg(size);
        return 0;
    }
    QByteArray key;
    key.append("\xc7\xda\x39\x6b", 4);
    const QByteArray clear = rc4(key, head.mid(0x18, version == 3 ? 126 : 128));
    // The password lies at 0x42; Jet 4 masks it further with the creation
    // date kept at 0x72.
    QByteArray password = clear.mid(0x42 - 0x18, version == 3 ? 20 : 40);
    if (version == 4) {
        double created = 0;
        std::memcpy(&created, clear.constData() + (0x72 - 0x18), sizeof created);
        const qint32 mask =
            std::isfinite(created) && std::fabs(created) < 2e9 ? static_cast<qint32>(created) : 0;
        for (int i = 0; i < password.size(); ++i)
            password[i] = static_cast<char>(password[i] ^ ((mask >> (8 * (i % 4))) & 0xff));
    }
    if (password.count('\0') != password.size()) {
        *why = QStringLiteral("Dosya bir veritabanı parolasıyla korunuyor. Access'te parolayı "
                              "kaldırıp (Veritabanı Araçları) yeniden deneyin.");
        return 0;
    }
    return version;
}

} // namespace

struct JetFile::Handle {
    MdbHandle *mdb = nullptr;
    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

JetFile::JetFile() = default;
JetFile::~JetFile() = default;

bool JetFile::open(const QString &path, QString *error)
{
    path_ = path;
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("Dosya bulunamadı.");
        return false;
    }
    version_ = checkHeader(path, error);
    if (version_ == 0)
        return false;
    // Jet 3 keeps texts in the code page of the Windows that wrote them:
    // Turkish offices wrote theirs in cp1254.
    if (qEnvironmentVariableIsEmpty("MDB_JET3_CHARSET"))
        qputenv("MDB_JET3_CHARSET", "CP1254");
    handle_ = std::make_unique<Handle>();
    handle_->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!handle_->mdb) {
        *error = QStringLiteral("Dosya açılamadı: Jet başlığı bozuk.");
        return false;
    }
    mdb_set_bind_size(handle_->mdb, kBindSize);
    GPtrArray *catalog = mdb_read_catalog(handle_->mdb, MDB_TABLE);
    // Every Jet file lists at least one table; an empty list is a catalog
    // that could not be read.
    if (!catalog || catalog->len == 0) {
        *error = QStringLiteral("Dosyanın tablo listesi (MSysObjects) okunamadı: dosya bozuk.");
        return false;
    }
    for (guint i = 0; i < catalog->len; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            tables_ << QString::fromUtf8(entry->object_name);
    }
    return true;
}

bool JetFile::readTable(
    const QString &name, QVector<JetColumn> *columns, const RowVisitor &row, QString *error)
{
    MdbCatalogEntry *entry = mdb_get_catalogentry_by_name(handle_->mdb, name.toUtf8().constData());
    MdbTableDef *table = entry ? mdb_read_table(entry) : nullptr;
    if (!table || !mdb_read_columns(table)) {
        if (table)
            mdb_free_tabledef(table);
        *error = QStringLiteral("%1 tablosunun tanımı okunamadı: dosya bozuk.").arg(name);
        return false;
    }
    const int count = static_cast<int>(table->num_cols);
    columns->clear();
    std::vector<QByteArray> texts(count);
    std::vector<MdbColumn *> cols(count);
    for (int c = 0; c < count; ++c) {
        cols[c] = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c));
        JetColumn jc;
        jc.name = QString::fromUtf8(cols[c]->name);
        jc.typeCode = cols[c]->col_type;
        switch (cols[c]->col_type) {
        case MDB_TEXT:
        case MDB_MEMO:
            jc.kind = JetKind::Text;
            texts[c] = QByteArray(static_cast<int>(kBindSize), '\0');
            mdb_bind_column(table, c + 1, texts[c].data(), nullptr);
            break;
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
            jc.kind = JetKind::Integer;
            break;
        case MDB_FLOAT:
        case MDB_DOUBLE:
        case MDB_MONEY:
            jc.kind = JetKind::Number;
            break;
        case MDB_DATETIME:
            jc.kind = JetKind::Date;
            break;
        case MDB_BOOL:
            jc.kind = JetKind::Boolean;
            texts[c] = QByteArray(16, '\0');
            mdb_bind_column(table, c + 1, texts[c].data(), nullptr);
            break;
        default:
            jc.kind = JetKind::Other;
        }
        columns->push_back(jc);
    }
    const unsigned int expected = table->num_rows;
    unsigned int seen = 0;
    bool stopped = false;
    mdb_rewind_table(table);
    const unsigned char *page = handle_->mdb->pg_buf;
    QVariantList values;
    while (mdb_fetch_row(table)) {
        ++seen;
        values.clear();
        for (int c = 0; c < count; ++c) {
            const MdbColumn *col = cols[c];
            const int len = col->cur_value_len;
            const unsigned char *at = page + col->cur_value_start;
            switch ((*columns)[c].kind) {
            case JetKind::Text:
                values << (len == 0 ? QVariant()
                                    : QVariant(QString::fromUtf8(texts[c].constData())));
                break;
            case JetKind::Boolean:
                values << QVariant(std::strcmp(texts[c].constData(), "0") != 0
                    && texts[c][0] != '\0' && std::strcmp(texts[c].constData(), "FALSE") != 0);
                break;
            case JetKind::Integer:
                if (len == 0)
                    values << QVariant();
                else if (col->col_type == MDB_BYTE)
                    values << QVariant(qint64(at[0]));
                else if (col->col_type == MDB_INT)
                    values << QVariant(qint64(qint16(at[0] | (at[1] << 8))));
                else
                    values << QVariant(qint64(qint32(quint32(at[0]) | (quint32(at[1]) << 8)
                        | (quint32(at[2]) << 16) | (quint32(at[3]) << 24))));
                break;
            case JetKind::Number:
            case JetKind::Date:
                if (len == 0) {
                    values << QVariant();
                } else if (col->col_type == MDB_FLOAT) {
                    float f;
                    std::memcpy(&f, at, sizeof f);
                    values << QVariant(double(f));
                } else if (col->col_type == MDB_MONEY) {
                    qint64 ten;
                    std::memcpy(&ten, at, sizeof ten); // ten-thousandths
                    values << QVariant(double(ten) / 10000.0);
                } else {
                    double d;
                    std::memcpy(&d, at, sizeof d);
                    values << QVariant(d);
                }
                break;
            case JetKind::Other:
                values << QVariant();
                break;
            }
        }
        if (!row(values)) {
            stopped = true;
            break;
        }
    }
    mdb_free_tabledef(table);
    if (!stopped && seen != expected) {
        *error = QStringLiteral("%1 tablosunda %2 satır olmalıyken %3 satır okunabildi: dosya "
                                "eksik ya da bozuk.")
                     .arg(name)
                     .arg(expected)
                     .arg(seen);
        return false;
    }
    return !stopped;
}

QDate jetDate(double days)
{
    static const QDate epoch(1899, 12, 30);
    if (!std::isfinite(days) || std::fabs(days) > 3e6)
        return QDate();
    return epoch.addDays(static_cast<qint64>(std::trunc(days)));
}

} // namespace platform
