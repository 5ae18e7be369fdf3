#include "fileaccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

void keepPrivate(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat s { };
    if (::stat(name.constData(), &s) != 0 || s.st_uid != ::geteuid())
        return;
    const mode_t wanted = S_ISDIR(s.st_mode) ? S_IRWXU : (S_IRUSR | S_IWUSR);
    if ((s.st_mode & 07777) != wanted)
        ::chmod(name.constData(), wanted);
}

bool makePrivateFolder(const QString &path)
{
    // Walk up to the first folder that exists, then make each one below it.
    QStringList missing;
    for (QString p = QDir::cleanPath(QDir(path).absolutePath()); !QFileInfo::exists(p);
         p = QFileInfo(p).path()) {
        missing.prepend(p);
        if (p == QFileInfo(p).path())
            break;
    }
    for (const QString &folder : missing) {
        if (::mkdir(QFile::encodeName(folder).constData(), S_IRWXU) != 0 && errno != EEXIST)
            return false;
        // mkdir's mode passes through the umask; the folder must not.
        ::chmod(QFile::encodeName(folder).constData(), S_IRWXU);
    }
    return QFileInfo(path).isDir();
}

bool createPrivateFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return false;
    ::fchmod(fd, S_IRUSR | S_IWUSR);
    ::close(fd);
    return true;
}

bool openedByAnotherProcess(const QString &path)
{
    struct stat target { };
    if (::stat(QFile::encodeName(path).constData(), &target) != 0)
        return false;
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return false;
    const pid_t self = ::getpid();
    bool found = false;
    while (!found) {
        const dirent *entry = ::readdir(proc);
        if (!entry)
            break;
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == self)
            continue;
        // Another user's processes cannot be looked into; nor can they open a
        // file of ours that only we may read.
        const QByteArray fdFolder = "/proc/" + QByteArray::number(qlonglong(pid)) + "/fd";
        DIR *fds = ::opendir(fdFolder.constData());
        if (!fds)
            continue;
        while (const dirent *fd = ::readdir(fds)) {
            struct stat s { };
            if (fd->d_name[0] != '.' && ::fstatat(::dirfd(fds), fd->d_name, &s, 0) == 0
                && s.st_dev == target.st_dev && s.st_ino == target.st_ino) {
                found = true;
                break;
            }
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return found;
}

} // namespace platform
