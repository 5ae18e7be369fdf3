#pragma once

#include <QString>

namespace platform {

// The record store holds citizens' personal data, and an office PC often has
// several accounts: what the program keeps is for its own user alone.

// Narrows a file to 0600 or a folder to 0700 when it belongs to this user and
// is open to others; another user's file is left as it is.
void keepPrivate(const QString &path);
// Makes a folder (and its parents) and gives the folders it made 0700.
bool makePrivateFolder(const QString &path);
// Creates an empty file readable by this user only; false if it exists.
bool createPrivateFile(const QString &path);

// Whether a process other than this one has the file open.
bool openedByAnotherProcess(const QString &path);

} // namespace platform
