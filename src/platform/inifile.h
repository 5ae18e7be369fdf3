#pragma once

#include <QString>

#include <optional>

namespace platform {

// An INI-format settings file as the Windows profile functions keep it:
// sections and keys compared without regard to case, the value after the first
// "=" trimmed, cp1254 text with CRLF line ends (UTF-8 when an editor saved the
// file so, with a byte order mark or as valid UTF-8 with letters beyond ASCII).
// A write changes only the line of its key. Only a plain file of at most
// 1 MB is read, and never is a file written through a symbolic link.
class IniFile {
public:
    // std::nullopt when the file, the section or the key is missing. A file that
    // exists but cannot be read sets *error.
    static std::optional<QString> read(
        const QString &path, const QString &section, const QString &key, QString *error = nullptr);
    // Creates the file and the section when missing and keeps every other line.
    // The file is replaced atomically, so a crash never leaves half of it.
    static bool write(const QString &path, const QString &section, const QString &key,
        const QString &value, QString *error = nullptr);
};

} // namespace platform
