#include "safesave.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace platform {

namespace {

// Qt words a few of these itself; the others are the C library's text.
const struct {
    int number;
    const char *qtText;
    const char *reason;
} kReasons[] = {
    { ENOSPC, "No space left on device", "Diskte yer kalmadı." },
    { EFBIG, nullptr, "Dosya için yer kalmadı: dosya boyutu sınırı aşıldı." },
    { EDQUOT, nullptr, "Disk kotası doldu, dosya için yer kalmadı." },
    { EACCES, "Permission denied", "Bu klasöre ya da dosyaya yazma izni yok." },
    { EPERM, nullptr, "Bu klasöre ya da dosyaya yazma izni yok." },
    { EROFS, nullptr, "Disk yalnızca okunabilir." },
    { EIO, nullptr, "Diske yazılırken bir donanım hatası oluştu." },
    { ENOENT, "No such file or directory", "Klasör bulunamadı." },
};

// Takes the reason first, then drops the unfinished temporary file: cancelling
// replaces the file's error text.
bool abandon(QSaveFile &file, const QString &systemText, int errorNumber, QString *error)
{
    *error = writeFailureReason(systemText, errorNumber);
    file.cancelWriting();
    file.commit();
    return false;
}

} // namespace

QString writeFailureReason(const QString &systemText, int errorNumber)
{
    for (const auto &r : kReasons) {
        const bool named = (r.qtText && systemText.contains(QLatin1String(r.qtText)))
            || systemText.contains(QString::fromLocal8Bit(std::strerror(r.number)));
        if (named || (errorNumber != 0 && errorNumber == r.number))
            return QString::fromUtf8(r.reason);
    }
    return QStringLiteral("Dosya yazılamadı (%1).").arg(systemText);
}

bool writeAndCommit(QSaveFile &file, const QByteArray &data, QString *error)
{
    errno = 0;
    if (file.write(data) != data.size()) {
        const int e = errno;
        file.cancelWriting();
        *error = writeFailureReason(file.errorString(), e);
        return false;
    }
    return commitSaveFile(file, error);
}

bool commitSaveFile(QSaveFile &file, QString *error)
{
    // QSaveFile::commit() renames the file into place even when its own last
    // flush fails, which would put a cut file over a good one: flush here.
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return abandon(file, file.errorString(), errno, error);
    if (::fsync(file.handle()) != 0) {
        const int e = errno;
        return abandon(file, QString::fromLocal8Bit(std::strerror(e)), e, error);
    }
    if (!file.commit()) {
        *error = writeFailureReason(file.errorString());
        return false;
    }
    return true;
}

bool replaceWithFile(const QString &finished, const QString &target, QString *error)
{
    QFile file(finished);
    int e = 0;
    if (!file.open(QIODevice::ReadWrite))
        e = EIO;
    else if (::fsync(file.handle()) != 0)
        e = errno;
    file.close();
    // rename() replaces target atomically: there is never a moment without it.
    if (e == 0
        && std::rename(
               QFile::encodeName(finished).constData(), QFile::encodeName(target).constData())
            != 0)
        e = errno;
    if (e != 0) {
        QFile::remove(finished);
        *error = writeFailureReason(QString::fromLocal8Bit(std::strerror(e)), e);
        return false;
    }
    return true;
}

} // namespace platform
