#include "engineerrors.h"

#include <QDir>

#include <sqlite3.h>

namespace platform {

namespace {

struct EngineWords {
    int code; // extended codes first: they are matched before the primary ones
    const char *engine; // how the engine words it, for a code not passed on
    const char *said; // %1 is the file
};

// A busy or moved store is most often another window's compaction at its exit.
const EngineWords kWords[] = {
    { SQLITE_READONLY_DBMOVED, nullptr, nullptr },
    { SQLITE_BUSY, "database is locked", nullptr },
    { SQLITE_LOCKED, "database table is locked", nullptr },
    { SQLITE_READONLY, "attempt to write a readonly database",
        "Veri dosyasına yazılamıyor: dosya salt okunur ya da yazma izni yok (%1)." },
    { SQLITE_FULL, "database or disk is full",
        "Diskte yer kalmadı; veri dosyasına yazılamıyor (%1)." },
    { SQLITE_CANTOPEN, "unable to open database file",
        "Veri dosyası açılamadı: dosya ya da klasörü yok, ya da okuma ve yazma izni yok (%1)." },
    { SQLITE_NOTADB, "file is not a database",
        "Dosya bir veri tabanı dosyası değil ya da başka bir programın dosyası (%1)." },
    { SQLITE_CORRUPT, "database disk image is malformed",
        "Veri dosyası bozuk (%1). Son yedeği geri yükleyiniz." },
    { SQLITE_IOERR, "disk I/O error",
        "Veri dosyası okunurken ya da yazılırken bir disk hatası oldu; disk dolmuş ya da ağ "
        "bağlantısı kopmuş olabilir (%1)." },
    { SQLITE_PERM, "access permission denied", "Veri dosyasına erişim izni yok (%1)." },
    { SQLITE_AUTH, "authorization denied", "Veri dosyasına erişim izni verilmedi (%1)." },
    { SQLITE_NOMEM, "out of memory",
        "Bellek yetmedi; veri dosyası işlenemedi (%1). Başka programları kapatıp yeniden "
        "deneyiniz." },
    { SQLITE_NOLFS, "large file support is disabled",
        "Veri dosyası bu diskin taşıyabileceğinden büyük (%1)." },
    { SQLITE_PROTOCOL, "locking protocol",
        "Veri dosyasının kilidi alınamadı; başka bir program kullanıyor olabilir (%1). Biraz sonra "
        "yeniden deneyiniz." },
};

const EngineWords *find(int code, const QString &engineText)
{
    for (int pass = 0; pass < 3; ++pass) {
        for (const EngineWords &w : kWords) {
            if ((pass == 0 && code != 0 && w.code == code)
                || (pass == 1 && code != 0 && w.code == (code & 0xff))
                || (pass == 2 && w.engine && engineText.startsWith(QLatin1String(w.engine))))
                return &w;
        }
    }
    return nullptr;
}

} // namespace

QString storeBeingCompactedText(const QString &file)
{
    return QStringLiteral(
        "Kayıt deposu şu anda başka bir program penceresi tarafından sıkıştırılıyor "
        "ya da kullanılıyor (kilitli): %1. Hiçbir şey yazılmadı; biraz sonra "
        "yeniden deneyiniz.")
        .arg(QDir::toNativeSeparators(file));
}

QString engineErrorText(int code, const QString &engineText, const QString &file)
{
    const EngineWords *w = find(code, engineText);
    if (!w)
        return QString();
    QString said = w->said ? QString::fromUtf8(w->said).arg(QDir::toNativeSeparators(file))
                           : storeBeingCompactedText(file);
    const QString tail = engineText.trimmed().left(80);
    if (!tail.isEmpty())
        said += QStringLiteral(" [SQLite: %1]").arg(tail);
    return said;
}

} // namespace platform
