#include "viewerframe.h"

#include "outputcheck.h"

#include "app/appstate.h"
#include "app/basics.h"
#include "platform/desktopservices.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/reportexporters.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace printing {

namespace {

bool g_interactive = true;
QString g_exportPath;
QString g_exportTitle;
QString g_lastFolder; // where the clerk saved last in this run
bool g_exportOpened = false; // the last export was opened in another program

// "*.xlsx" of a filter, as ".xlsx".
QString filterExtension(const QString &filter)
{
    static const QRegularExpression re(QStringLiteral("\\*(\\.\\w+)"));
    return re.match(filter).captured(1);
}

} // namespace

QVector<platform::ReportTool> stockTools()
{
    static const char *const captions[kStockToolCount] = { "İçindekiler", "Sayfa Yapısı", "Yazdır",
        "Genişliğe Sığdır", "Kopyala", "Bul", "Tek Sayfa", "Çok Sayfa", "Yan Yana", "Ekle",
        "Kaydet", "-", "+", "Yakınlaştırma", "Sayfaya Sığdır", "◀", "▶", "Sayfa", "Tüm Sayfalar",
        "Geri", "İleri" };
    QVector<platform::ReportTool> tools;
    for (int i = 0; i < kStockToolCount; ++i) {
        const QString caption = QString::fromUtf8(captions[i]);
        tools.push_back({ i, caption, caption, true, false });
    }
    return tools;
}

void setInteractive(bool on)
{
    g_interactive = on;
}

bool interactive()
{
    return g_interactive;
}

void YaziciKalitesiAyarla(platform::Report &report, const QString &level)
{
    const QString l = level.toUpper();
    if (l == QLatin1String("NORMAL"))
        report.printQuality = -3;
    else if (l == QLatin1String("KOYU"))
        report.printQuality = -4;
}

void ToolbarHazirla(platform::Report &r)
{
    if (r.tools.size() > kStockToolCount)
        return;
    r.zoom = 100;
    r.toolbarFont = QStringLiteral("TAHOMA");
    r.toolbarFontSize = 8;
    for (int i : { 0, 1, 4, 5, 6, 7, 8, 9, 10, 19, 20 })
        r.tools[i].visible = false;
    r.tools[2].caption = QStringLiteral("&Yazdır");
    static const char *const added[] = { "&Durdur", "&Word", "&Excel", "Pd&f", "KOYU",
        "&Sayfa Ayarları" };
    for (const char *caption : added) {
        const int id = int(r.tools.size());
        r.tools.push_back({ id, QString::fromUtf8(caption), QString(), true, false });
    }
    static const std::pair<int, const char *> tooltips[] = { { 2, "Yazıcı'ya Gönder" },
        { 11, "Uzaklaştır" }, { 12, "Yakınlaştır" }, { 13, "Yakınlaştırma Oranı" },
        { 15, "Sayfa Geri" }, { 16, "Sayfa İleri" }, { 17, "Sayfa No" }, { 21, "İşlemi Durdur" },
        { 22, "Word'e aktar" }, { 23, "Excel'e aktar" }, { 24, "PDF'ye aktar" },
        { 25, "YAZICI KALİTESİ: Koyu" }, { 26, "Listenin boşluk ayarları" } };
    for (const auto &[index, tooltip] : tooltips)
        r.tools[index].tooltip = QString::fromUtf8(tooltip);
    r.printQuality = -4;
    r.renderMode = 1;
    r.pageSettings.paperSize = platform::PaperA4;
    // The button is down while dark printing is on.
    r.tools[25].state = true;
}

QString noPrinterNote()
{
    // Only a viewer someone looks at says it, in its status line: a box before
    // every first preview would only train the clerk to click it away.
    if (!g_interactive || !QPrinterInfo::availablePrinterNames().isEmpty())
        return {};
    return QStringLiteral("Bilgisayarınızda tanımlı bir YAZICI bulunamadı.");
}

void keepQuality(platform::Report &report, int quality)
{
    // The button names the level in force; clicking it once switches to the other.
    if (report.tools.size() > 25 && quality != report.printQuality)
        ToolbarTiklandi(report, 25, QString(), nullptr);
}

QString exportBaseName(const QString &title)
{
    QString name = title;
    for (const QChar c :
        { QLatin1Char(' '), QLatin1Char('\\'), QLatin1Char('/'), QLatin1Char('-') })
        name.replace(c, QLatin1Char('_'));
    return name;
}

ViewerAction ToolbarTiklandi(
    platform::Report &r, int index, const QString &baseName, QWidget *parent)
{
    app::CursorDefault();
    if (index < 0 || index >= r.tools.size())
        return ViewerAction::None;
    platform::ReportTool &tool = r.tools[index];
    if (tool.id == kMarginTool)
        return ViewerAction::OpenMarginDialog;
    const QString caption = tool.caption;
    if (caption == QLatin1String("&Kapat"))
        return ViewerAction::Close;
    if (caption == QLatin1String("&Durdur")) {
        r.stopped = true;
        tool.caption = QStringLiteral("&Kapat");
        tool.tooltip = QStringLiteral("Active Reports'tan çık");
        return ViewerAction::None;
    }
    // The quality tool names the level in force; a click switches to the other.
    static const struct {
        const char *level, *next, *tooltip;
        bool state;
    } qualities[] = { { "KOYU", "NORMAL", "YAZICI KALİTESİ: Normal", false },
        { "NORMAL", "KOYU", "YAZICI KALİTESİ: Koyu", true } };
    for (const auto &q : qualities) {
        if (caption.toUpper() == QLatin1String(q.level)) {
            tool.caption = QLatin1String(q.next);
            tool.state = q.state;
            tool.tooltip = QString::fromUtf8(q.tooltip);
            YaziciKalitesiAyarla(r, tool.caption);
            return ViewerAction::None;
        }
    }
    if (caption == QLatin1String("Pd&f") || caption == QLatin1String("&Word")
        || caption == QLatin1String("&Excel")) {
        return RaporuAktar(caption, r, exportBaseName(baseName), parent).isEmpty()
            ? ViewerAction::None
            : ViewerAction::Exported;
    }
    return ViewerAction::Stock;
}

QString OzelKlasorYolu(int folderId)
{
    if (folderId != 5)
        return {};
    return platform::documentsFolder().trimmed();
}

bool KayitYeriSor(const QString &defaultPath, const QString &filter, QWidget *parent)
{
    QString proposed = defaultPath;
    for (;;) {
        const QString chosen = platform::desktop().saveFileName(
            parent, QStringLiteral("Rapor Kayıt"), proposed, filter);
        if (chosen.isEmpty())
            return false;
        // A name typed without an extension gets the filter's, so the Word, Excel
        // and PDF files of one form do not overwrite each other under one name.
        QString path = chosen;
        if (QFileInfo(chosen).suffix().isEmpty())
            path += filterExtension(filter);
        // The store or a link chosen by mistake would be overwritten with the
        // export reported done: said, and the clerk chooses again.
        if (const QString why = outputRefusal(path); !why.isEmpty()) {
            platform::showMessage(platform::MsgIcon::Warning, platform::MsgButtons::Ok,
                QStringLiteral("Dikkat"),
                why + QStringLiteral("\r\n\r\nDosya yazılmadı; başka bir ad seçiniz."));
            proposed = chosen;
            continue;
        }
        g_exportPath = path;
        g_lastFolder = QFileInfo(g_exportPath).absolutePath();
        g_exportTitle = QFileInfo(chosen).fileName();
        return true;
    }
}

QString exportPath()
{
    return g_exportPath;
}

bool exportOpened()
{
    return g_exportOpened;
}

QString exportTitle()
{
    return g_exportTitle;
}

QString RaporuAktar(const QString &caption, const platform::Report &report, const QString &baseName,
    QWidget *parent)
{
    QString folder = g_lastFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = OzelKlasorYolu(5);
    if (folder.isEmpty())
        folder = app::ProgramFolder();
    const QString proposed = QDir(folder).filePath(baseName);
    std::unique_ptr<platform::ReportExporter> exporter;
    bool open = false;
    if (caption == QLatin1String("&Word")) {
        exporter = std::make_unique<platform::WordExporter>();
        open = true;
    } else if (caption == QLatin1String("&Excel")) {
        exporter = std::make_unique<platform::ExcelExporter>();
        open = true;
    } else {
        exporter = std::make_unique<platform::PdfExporter>();
    }
    if (!KayitYeriSor(proposed, exporter->fileFilter(), parent))
        return {};
    QString error;
    // The path is used exactly as chosen. A write that fails is said so: a
    // silent failure would look like a finished export. The box offers only
    // OK, since the clerk goes on in the viewer.
    if (!exporter->write({ &report }, exportPath(), &error)) {
        app::CursorDefault();
        platform::showMessage(platform::MsgIcon::Warning, platform::MsgButtons::Ok,
            QStringLiteral("Dikkat"),
            QStringLiteral("Rapor şu dosyaya yazılamadı:\n%1\n\nNedeni: %2\n\n"
                           "Bu adla daha önce kaydedilmiş bir dosya varsa olduğu gibi duruyor.")
                .arg(QDir::toNativeSeparators(exportPath()), error));
        return {};
    }
    g_exportOpened = open && platform::desktop().openDocument(exportPath());
    return exportPath();
}

} // namespace printing
