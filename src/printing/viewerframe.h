#pragma once

#include "platform/report.h"

#include <QString>
#include <QVector>

class QWidget;

namespace printing {

// The toolbar every report viewer starts with: 21 stock tools at 0 to 20.
QVector<platform::ReportTool> stockTools();
constexpr int kStockToolCount = 21;
constexpr int kMarginTool = 26;

// Whether a viewer may ask about printers (headless printing may not).
void setInteractive(bool interactive);
bool interactive();

void YaziciKalitesiAyarla(platform::Report &report, const QString &level);
// Customises the report's toolbar once; a restarted report keeps it.
void ToolbarHazirla(platform::Report &report);
// The status line of a viewer on a computer without a printer; empty otherwise.
QString noPrinterNote();
// Sets the print quality of a customised report as a click on its button would.
void keepQuality(platform::Report &report, int quality);

// What a toolbar click asks of the viewer window.
// Exported: a file was written, at exportPath().
enum class ViewerAction { None, Close, OpenMarginDialog, Stock, Exported };
ViewerAction ToolbarTiklandi(
    platform::Report &report, int toolIndex, const QString &baseName, QWidget *parent);

// The window title made fit for a file name: blanks, "\", "/" and "-" become "_".
QString exportBaseName(const QString &title);
// Exports the report through the tool with this caption. Returns the path
// written, or an empty text when cancelled or failed (a failure in a box
// with OK only).
QString RaporuAktar(const QString &caption, const platform::Report &report, const QString &baseName,
    QWidget *parent);
// The save dialog "Rapor Kayıt"; true with the chosen path in exportPath(),
// given the filter's extension when none was typed.
bool KayitYeriSor(const QString &defaultPath, const QString &filter, QWidget *parent);
QString exportPath();
// Whether another program opened the last export (only Word and Excel files are offered).
bool exportOpened();
QString exportTitle();
// The user's documents folder (special folder 5), or an empty text.
QString OzelKlasorYolu(int folderId);

} // namespace printing
