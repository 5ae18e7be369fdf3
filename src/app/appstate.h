#pragma once

#include <QString>

namespace app {

// Program-wide folders fixed at start-up.
struct Folders {
    QString program; // ProgramFolder: data files and templates live below it
    QString photo; // PhotoFolder
    QString margin; // holds the page-margins file
    QString desktop; // where the start-up shortcut goes
};

Folders &folders();
QString ProgramFolder();
QString PhotoFolder();
// Full path of the page-margins file.
QString marginFile();

} // namespace app
