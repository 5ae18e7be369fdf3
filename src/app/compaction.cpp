#include "compaction.h"

#include "datafiles.h"
#include "errorbox.h"
#include "platform/messages.h"
#include "platform/sqliteengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace app {

namespace {

bool g_failForTests = false;

void showInUse(const QString &path)
{
    platform::showMessage(platform::MsgIcon::Critical, platform::MsgButtons::Ok,
        QStringLiteral("DİKKAT !"),
        QStringLiteral("Database başka bir bölümde kullanılıyor.\r\n"
                       "Program Compact işlemini şu an için yapamıyor.\r\n\r\n"
                       "Data: ")
            + QDir::toNativeSeparators(path));
}

} // namespace

void setCompactionFailureForTests(bool fail)
{
    g_failForTests = fail;
}

void CompactData(const QString &path)
{
    const QString temp = compactionTempPath(path);
    const QString part = path + QStringLiteral(".yeni");
    const QString folder = QFileInfo(path).absolutePath();
    // A store found only under the temporary name was moved aside by a
    // compaction cut short: it is the store, not a leftover to delete.
    if (!QFile::exists(path) && QFile::exists(temp)) {
        QFile::rename(temp, path);
        platform::syncFolder(folder);
    }
    if (QFile::exists(temp) && !QFile::remove(temp)) {
        HataGoster(75, QStringLiteral("Geçici dosya silinemedi: %1").arg(temp),
            QStringLiteral("compact işlemi"), true);
        return;
    }
    if (!QFile::exists(path))
        return;
    QFile::remove(part);

    const platform::EngineResult use = platform::checkExclusiveUse(path);
    if (!use.ok) {
        if (use.code == SQLITE_BUSY || use.code == SQLITE_LOCKED)
            showInUse(path);
        else
            HataGoster(use.code, use.message, QStringLiteral("compact işlemi"), true);
        return;
    }
    if (!QFile::rename(path, temp)) {
        HataGoster(75, QStringLiteral("Dosya taşınamadı: %1").arg(path),
            QStringLiteral("compact işlemi"), true);
        return;
    }
    platform::syncFolder(folder);

    // The compact copy is written under a third name and renamed into place
    // only when whole, so no moment leaves a half-written store under its name.
    platform::EngineResult r = g_failForTests
        ? platform::EngineResult { false, SQLITE_FULL, QStringLiteral("disk dolu (deneme)") }
        : platform::compactCopy(temp, part);
    if (r.ok && !QFile::rename(part, path))
        r = { false, 75, QStringLiteral("Dosya yeniden adlandırılamadı: %1").arg(part) };
    if (!r.ok) {
        // Put the store back under its own name at once: the next compaction
        // deletes the temporary file.
        QFile::remove(part);
        if (!QFile::exists(path))
            QFile::rename(temp, path);
        platform::syncFolder(folder);
        HataGoster(r.code, r.message, QStringLiteral("compact işlemi"), true);
        return;
    }
    platform::syncFolder(folder);
}

} // namespace app
