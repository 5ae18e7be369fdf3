#include "storefiller.h"

#include "platform/dategrid.h"
#include "records/entryscreen.h"

#include <QComboBox>
#include <QRadioButton>
#include <QRandomGenerator>

#include <sqlite3.h>

namespace {

const char *const kNames[] = { "Ahmet", "Mehmet", "Ayşe", "Fatma", "Mustafa", "Emine", "Ali",
    "Hatice", "Hüseyin", "Zeynep", "İbrahim", "Elif", "Hasan", "Şükrü", "Gülşen", "Çağlar", "Özlem",
    "Ümit", "İsmail", "Ebru" };
const char *const kSurnames[] = { "Yılmaz", "Kaya", "Demir", "Şahin", "Çelik", "Yıldız", "Yıldırım",
    "Öztürk", "Aydın", "Özdemir", "Arslan", "Doğan", "Kılıç", "Aslan", "Çetin", "Kara", "Koç",
    "Kurt", "Özkan", "Şimşek" };
const char *const kCities[] = { "İSTANBUL", "ANKARA", "İZMİR", "BURSA", "ANTALYA", "KONYA", "ADANA",
    "ŞANLIURFA", "GAZİANTEP", "KOCAELİ", "ISPARTA", "ÇANAKKALE", "MUĞLA", "DİYARBAKIR",
    "ESKİŞEHİR" };
const char *const kBrands[][2] = { { "Toyota", "Corolla" }, { "Renault", "Clio" },
    { "Fiat", "Egea" }, { "Volkswagen", "Passat" }, { "Ford", "Focus" }, { "Hyundai", "i20" },
    { "Opel", "Astra" }, { "Peugeot", "308" }, { "Dacia", "Duster" }, { "Honda", "Civic" } };

template<size_t N> const char *pick(const char *const (&list)[N], QRandomGenerator &r)
{
    return list[r.bounded(int(N))];
}

QString plate(QRandomGenerator &r)
{
    static const char letters[] = "ABCDEFGHJKLMNPRSTUVYZ";
    QString p = QStringLiteral("%1").arg(r.bounded(1, 82), 2, 10, QLatin1Char('0'));
    const int n = r.bounded(1, 4);
    for (int i = 0; i < n; ++i)
        p += QLatin1Char(letters[r.bounded(int(sizeof letters - 1))]);
    return p + QString::number(r.bounded(10, 9999));
}

bool exec(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void bind(sqlite3_stmt *st, int i, const QString &text)
{
    const QByteArray u = text.toUtf8();
    sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

} // namespace

bool fillStore(const QString &path, int count)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    QRandomGenerator r(20261206);
    bool ok = exec(db, "PRAGMA synchronous = OFF") && exec(db, "BEGIN");
    sqlite3_stmt *vehicle = nullptr;
    sqlite3_stmt *owner = nullptr;
    ok = ok
        && sqlite3_prepare_v2(db,
               "INSERT INTO ARACKAYIT (MOTORNO, ESKIPLAKA, YENIPLAKA, SASENO, "
               "ISLEMTURU, KULLANIMAMACI, BELGEDUZENLEYEN, BELGETARIHI, MARKA, "
               "MODEL, MODELYILI, MODELRENK1, NETAGR, SILINDIRHACMI, YAKITCINSI, "
               "TAKOGRAF, HAKLAR, YENILEMENEDENI, HURDANEDENI, YAKITDIGER) VALUES "
               "(?, ?, ?, ?, '1-8', 11, ?, '2019-04-12', ?, ?, ?, 'BEYAZ', 1250, "
               "1598, 15, 0, '', '', '', '')",
               -1, &vehicle, nullptr)
            == SQLITE_OK
        && sqlite3_prepare_v2(db,
               "INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, AD, SOYAD, "
               "BABA, ANNE, DOGUMYERI, DOGUMTARIHI, CINSIYET, KANGRUBU, TABIYET, "
               "IL, ILCE, MAHALLE, CADDE, SOKAK, NUMARA, TELEFONEV, TELEFONCEP, "
               "SAHIPTIPI, ADRESTIPI) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
               "'1975-06-21', 'E', '0rh+', 'TC', ?, 'MERKEZ', 'CUMHURİYET MAH.', "
               "'ATATÜRK CAD.', 'GÜL SOK.', '12', '3124567890', '5321234567', "
               "'S', 'E')",
               -1, &owner, nullptr)
            == SQLITE_OK;
    for (int i = 0; ok && i < count; ++i) {
        const auto *brand = kBrands[r.bounded(10)];
        bind(vehicle, 1, QStringLiteral("MTR%1").arg(i, 8, 10, QLatin1Char('0')));
        bind(vehicle, 2, r.bounded(10) == 0 ? QStringLiteral("YOK") : plate(r));
        bind(vehicle, 3, plate(r));
        bind(vehicle, 4,
            QStringLiteral("NMT%1").arg(r.bounded(100000000), 14, 10, QLatin1Char('0')));
        bind(vehicle, 5, QString::fromUtf8(pick(kCities, r)) + QStringLiteral(" NOTERLİĞİ"));
        bind(vehicle, 6, QString::fromUtf8(brand[0]));
        bind(vehicle, 7, QString::fromUtf8(brand[1]));
        bind(vehicle, 8, QString::number(r.bounded(1995, 2026)));
        ok = sqlite3_step(vehicle) == SQLITE_DONE;
        sqlite3_reset(vehicle);
        const sqlite3_int64 id = sqlite3_last_insert_rowid(db);
        for (int slot = 1; ok && slot <= 3; ++slot) {
            sqlite3_bind_int64(owner, 1, id);
            sqlite3_bind_int(owner, 2, slot);
            bind(owner, 3, QString::number(10000000000LL + r.bounded(89999999) * 100LL + slot));
            bind(owner, 4, QString::fromUtf8(pick(kNames, r)));
            bind(owner, 5, QString::fromUtf8(pick(kSurnames, r)));
            bind(owner, 6, QString::fromUtf8(pick(kNames, r)));
            bind(owner, 7, QString::fromUtf8(pick(kNames, r)));
            bind(owner, 8, QString::fromUtf8(pick(kCities, r)));
            bind(owner, 9, QString::fromUtf8(pick(kCities, r)));
            ok = sqlite3_step(owner) == SQLITE_DONE;
            sqlite3_reset(owner);
        }
    }
    sqlite3_finalize(vehicle);
    sqlite3_finalize(owner);
    ok = ok && exec(db, "COMMIT");
    sqlite3_close(db);
    return ok;
}

void typeTransaction(records::EntryScreen &s, int serial)
{
    QRandomGenerator r { quint32(serial) };
    for (int i = 0; i < records::EntryScreen::kTxtCount; ++i)
        s.txt(i)->setText(QString());
    s.txt(0)->setText(QStringLiteral("34"));
    s.txt(1)->setText(QStringLiteral("ABC"));
    s.txt(2)->setText(QString::number(100 + serial % 900));
    s.txt(3)->setText(QStringLiteral("06"));
    s.txt(4)->setText(QStringLiteral("ZY"));
    s.txt(5)->setText(QString::number(1000 + serial % 9000));
    s.txt(6)->setText(QStringLiteral("KADIKÖY 3. NOTERLİĞİ"));
    s.txt(7)->setText(QStringLiteral("SATIŞ SÖZLEŞMESİ"));
    s.txt(8)->setText(QStringLiteral("12345"));
    s.txt(9)->setText(QStringLiteral("AB 123456"));
    s.txt(16)->setText(QStringLiteral("BENCH%1").arg(serial));
    s.txt(17)->setText(QStringLiteral("NMT%1").arg(serial, 14, 10, QLatin1Char('0')));
    s.txt(18)->setText(QStringLiteral("1250"));
    s.txt(24)->setText(QStringLiteral("1598"));
    s.txt(36)->setText(QStringLiteral("Rehin yoktur."));
    s.sprTarih(0)->setText(QStringLiteral("12.04.2019"));
    s.cmbX(0)->setEditText(QStringLiteral("Toyota"));
    s.cmbX(1)->setEditText(QStringLiteral("Corolla"));
    s.optX(11)->setChecked(true);
    for (int n = 1; n <= 3; ++n) {
        const int b = records::EntryScreen::ownerBase(n);
        s.txt(b)->setText(QString::number(20000000000LL + serial * 10LL + n));
        s.txt(b + 1)->setText(QString::fromUtf8(pick(kNames, r)));
        s.txt(b + 2)->setText(QString::fromUtf8(pick(kSurnames, r)));
        s.txt(b + 14)->setText(QString::fromUtf8(pick(kCities, r)));
        s.txt(b + 23)->setText(QStringLiteral("312"));
        s.txt(b + 24)->setText(QStringLiteral("4567890"));
        s.sprTarih(n + 2)->setText(QStringLiteral("21.06.1975"));
        s.cmbX(3 * n)->setCurrentIndex(6);
        s.cmbX(4 * n)->setCurrentIndex(0);
    }
}
