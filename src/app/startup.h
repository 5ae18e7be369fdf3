#pragma once

#include <QString>
#include <QStringList>

class QApplication;

namespace app {

struct StartOptions {
    QString programFolder; // empty: the executable's folder
    QString marginFolder; // empty: the per-user default
};

// Reads --program-folder and --margin-folder, then the environment variables
// EVRAKMATIK_PROGRAM_FOLDER and EVRAKMATIK_MARGIN_FOLDER.
StartOptions resolveStartOptions(const QString &programOption, const QString &marginOption);

// Fonts, Qt's Turkish texts, style and regional formats for this process.
// fontFolder, when given, is searched first for the Tahoma files.
void prepareApplication(QApplication &application, const QString &fontFolder = QString());

// Folders, templates and the desktop shortcut, before the main window exists.
void runStartupSequence(const StartOptions &options);

// The whole program: command line, start-up, main window, event loop.
int runProgram(int argc, char **argv);

} // namespace app
