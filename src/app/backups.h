#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>

#include "platform/clock.h"

namespace app {

// Where the exit's copies go and how many are kept: the data folder's
// backups folder always, and a second folder (a USB stick, a network share)
// when Yedek.ini in the program folder names one:
//   [Yedek]
//   Klasor=/media/buro/USB/yedek
//   Adet=14
struct BackupSettings {
    QString secondFolder;
    int keep = 14;
};
QString backupSettingsFile();
BackupSettings backupSettings();
QString backupFolder();

// The desk a copy in a shared second folder belongs to: host and user.
QString backupDeskName();
// The day's backup file name; the day's last exit writes over its earlier
// one unless that one holds more records. In a second folder, which several
// desks may share, the name carries the desk.
QString backupFileName(const QDate &day, bool shared = false);
// The name the store is kept under just before a restore replaces it.
QString keptStoreFileName(const QDateTime &when);

// The exit's backup of the record store: a verified copy into the backups
// folder, then into the second folder, then the oldest beyond the kept number
// removed. Never stops the exit: whatever fails is told in one warning box.
// A store that lives elsewhere than in this file (a server) skips this call.
// The copies are kept by when they were written, never by the date in their
// names, and the one just written is never removed: a wrong clock costs no copy.
void backUpRecordStore(const QString &storePath, const QDate &today = platform::now().date());

// Whether the file is a whole record store this program can open: sound,
// both tables, every column the program reads and writes. *why, in Turkish,
// when not. The full check also compares every index with its table, which
// at 100,000 records takes longer than the whole exit may: a restore makes
// it, the exit's fresh copy of a store just checked and compacted the quick
// one (every page and row read, constraints aside).
enum class StoreCheck { Quick, Full };
bool isUsableRecordStore(const QString &path, QString *why, StoreCheck depth = StoreCheck::Full);
// What in the file's schema would make later saves silently wrong (triggers
// or views of another program, a virtual record table, keys or column types
// that are not the program's), in Turkish; empty when nothing. Checked
// before a store is restored, upgraded or moved.
QString foreignSchemaReason(const QString &path);

struct BackupEntry {
    QString path;
    QDateTime written;
    long long records = -1; // -1: unreadable
    bool beforeRestore = false;
    bool keptFuller = false; // the day's earlier copy, which held more records
};
// The backups of a folder, newest first; files being written are not among
// them, nor, in a shared folder, another desk's.
QVector<BackupEntry> listBackups(const QString &folder, bool shared = false);
// What --list-backups prints.
QString backupListText();

} // namespace app
