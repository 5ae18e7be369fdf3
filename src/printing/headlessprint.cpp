#include "headlessprint.h"

#include "app/appstate.h"
#include "app/datafiles.h"
#include "app/entryroutines.h"
#include "app/mainwindow.h"
#include "app/sharedstore.h"
#include "forms.h"
#include "outputcheck.h"
#include "platform/dategrid.h"
#include "platform/messages.h"
#include "platform/printqueue.h"
#include "platform/reportexporters.h"
#include "platform/reportfit.h"
#include "platform/reportpainter.h"
#include "platform/sqliteengine.h"
#include "records/entryscreen.h"
#include "records/loadrecord.h"
#include "records/recordstore.h"
#include "viewerframe.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

#include <cstdio>

namespace printing {

namespace {

const QCommandLineOption kForm(QStringLiteral("print-pdf"),
    QStringLiteral("Kaydı ekransız PDF'ye basar: ek1 ya da ek9."), QStringLiteral("FORM"));
const QCommandLineOption kPrint(QStringLiteral("print"),
    QStringLiteral("Kaydı yazıcıya basar: ek1 ya da ek9."), QStringLiteral("FORM"));
const QCommandLineOption kPrinter(QStringLiteral("printer"),
    QStringLiteral("Basılacak yazıcı (yoksa varsayılan yazıcı)."), QStringLiteral("NAME"));
const QCommandLineOption kId(
    QStringLiteral("id"), QStringLiteral("Basılacak kaydın ID'si."), QStringLiteral("ID"));
const QCommandLineOption kOut(
    QStringLiteral("out"), QStringLiteral("Yazılacak PDF dosyası."), QStringLiteral("FILE"));
const QCommandLineOption kSet(QStringLiteral("set"),
    QStringLiteral("Bir kutuya değer verir: txtN=METİN ya da "
                   "sprTarihN=GG.AA.YYYY (tekrarlanabilir)."),
    QStringLiteral("NAME=TEXT"));

// Boxes have no one to answer them here: a warning goes to standard error,
// an error box marks the run as failed and the first one is told in the
// run's one line of failure (a full disk fails every write of a run alike).
constexpr qsizetype kLongestLine = 400;

class ConsoleMessages final : public platform::MessageService {
public:
    bool failed = false;
    QString firstError;
    platform::MsgAnswer show(const platform::MessageRequest &r) override
    {
        QString text = r.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text = text.simplified();
        // A box may quote a whole stored value: personal data, and possibly
        // kilobytes of it, has no place in a log.
        if (text.size() > kLongestLine)
            text = text.left(kLongestLine) + QStringLiteral("…");
        const QString line = r.title + QStringLiteral(": ") + text;
        if (r.icon != platform::MsgIcon::Critical)
            std::fprintf(stderr, "evrakmatik: %s\n", qPrintable(line));
        else if (!failed)
            firstError = line;
        if (r.icon == platform::MsgIcon::Critical)
            failed = true;
        return r.buttons == platform::MsgButtons::YesNo ? platform::MsgAnswer::No
                                                        : platform::MsgAnswer::Ok;
    }
    void endProcess(int) override { failed = true; }
};

ConsoleMessages *g_console = nullptr;

int fail(const QString &message, int code = 1)
{
    QString line = message;
    if (g_console && !g_console->firstError.isEmpty())
        line += QStringLiteral(" (") + g_console->firstError + QLatin1Char(')');
    std::fprintf(stderr, "evrakmatik: %s\n", qPrintable(line));
    return code;
}

// Applies one --set; an empty text when it worked, else what was wrong.
QString applySet(records::EntryScreen &screen, const QString &assignment)
{
    static const QRegularExpression re(QStringLiteral("^(txt|sprTarih)(\\d+)=(.*)$"),
        QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(assignment);
    if (!m.hasMatch())
        return QStringLiteral("--set NAME=TEXT biçiminde olmalı (NAME txtN ya da sprTarihN): %1")
            .arg(assignment);
    bool number = false;
    const int index = m.captured(2).toInt(&number);
    if (!number)
        return QStringLiteral("Böyle bir kutu yok: %1%2").arg(m.captured(1), m.captured(2));
    // Typing cannot put control characters or reordering marks into a box.
    const QString value = platform::printableText(m.captured(3)).remove(QLatin1Char('\n'));
    if (m.captured(1) == QLatin1String("txt")) {
        records::TextBox *box = screen.txt(index);
        if (!box)
            return QStringLiteral("Böyle bir kutu yok: txt%1").arg(index);
        if (value.size() > box->maxLength())
            return QStringLiteral("txt%1 en çok %2 karakter alır.")
                .arg(index)
                .arg(box->maxLength());
        box->setText(value);
        return {};
    }
    platform::DateGrid *cell = screen.sprTarih(index);
    if (!cell)
        return QStringLiteral("Böyle bir tarih kutusu yok: sprTarih%1").arg(index);
    app::SetSprTxt(*cell, 1, 1, value);
    if (!value.trimmed().isEmpty() && cell->text().isEmpty())
        return QStringLiteral("Geçersiz tarih: %1 (01.01.1900 ile 31.12.2100 arası, GG.AA.YYYY)")
            .arg(value);
    return {};
}

// After a load that raised an error box: the data file that cannot be read,
// with what is wrong with it.
QString unreadableDataFile()
{
    for (int code : { app::RecordStoreData, app::VehiclesData }) {
        // A desk on the shared store has no local record store to blame.
        if (code == app::RecordStoreData && app::usesSharedStore())
            continue;
        const QString path = app::dataFilePath(code);
        const platform::EngineResult r = platform::integrityCheck(path);
        if (r.ok)
            continue;
        const QString what = r.code == 26 ? QStringLiteral("SQLite veritabanı değil ya da bozuk")
            : r.code == 11                ? QStringLiteral("dosya bozuk")
                                          : r.message;
        return QStringLiteral("Veri dosyası okunamıyor: %1 (%2)").arg(path, what);
    }
    if (app::usesSharedStore())
        return QStringLiteral("Ortak kayıt deposu açılamadı (sunucu: %1)")
            .arg(app::sharedStoreHost(app::sharedStore().connection));
    return QStringLiteral("Veri dosyaları açılırken hata oluştu (ayrıntı yukarıda).");
}

// As the viewer's "Yazdır" prints, without its dialog: the report's paper
// and quality asked of the queue.
bool printToQueue(
    const QVector<const platform::Report *> &pages, const QString &printerName, QString *why)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(printerName);
    printer.setDocName(pages.first()->caption);
    platform::preparePrinter(printer, *pages.first());
    if (!platform::printPages(printer, pages))
        return false;
    // Drawn is not printed: the queue may still have refused the job.
    return platform::lastPrintJobAccepted(why);
}

} // namespace

void addHeadlessOptions(QCommandLineParser &parser)
{
    parser.addOption(kForm);
    parser.addOption(kPrint);
    parser.addOption(kPrinter);
    parser.addOption(kId);
    parser.addOption(kOut);
    parser.addOption(kSet);
}

bool headlessRequested(const QCommandLineParser &parser)
{
    return parser.isSet(kForm) || parser.isSet(kPrint);
}

int runHeadless(const QCommandLineParser &parser)
{
    const bool toPrinter = parser.isSet(kPrint);
    const QString form = parser.value(toPrinter ? kPrint : kForm).toLower();
    if (form != QLatin1String("ek1") && form != QLatin1String("ek9"))
        return fail(QStringLiteral("Bilinmeyen form: %1 (ek1 ya da ek9 olmalı)").arg(form), 2);
    bool numeric = false;
    const qint64 id = parser.value(kId).toLongLong(&numeric);
    if (!numeric)
        return fail(QStringLiteral("--id bir kayıt numarası olmalı."), 2);
    const QString out = parser.value(kOut);
    if (!toPrinter && out.isEmpty())
        return fail(QStringLiteral("--out ile yazılacak dosya verilmeli."), 2);
    const QString printerName = toPrinter && parser.value(kPrinter).isEmpty()
        ? QPrinterInfo::defaultPrinterName()
        : parser.value(kPrinter);
    if (toPrinter && printerName.isEmpty())
        return fail(QStringLiteral("Bilgisayarınızda tanımlı bir YAZICI bulunamadı."));
    if (toPrinter && !QPrinterInfo::availablePrinterNames().contains(printerName))
        return fail(QStringLiteral("Böyle bir yazıcı yok: %1").arg(printerName), 2);
    if (!toPrinter && !QFileInfo(QFileInfo(out).absolutePath()).isDir())
        return fail(QStringLiteral("Klasör bulunamadı: %1").arg(QFileInfo(out).absolutePath()));
    if (const QString why = toPrinter ? QString() : outputRefusal(out); !why.isEmpty())
        return fail(why, 2);

    ConsoleMessages messages;
    platform::setMessageService(&messages);
    g_console = &messages;
    const struct Restore {
        ~Restore()
        {
            g_console = nullptr;
            platform::setMessageService(nullptr);
        }
    } restore;
    setInteractive(false);
    app::MainWindow window;
    window.load();
    if (messages.failed)
        return fail(unreadableDataFile());
    records::EntryScreen &screen = window.entryScreen();

    // A record that is not there must not print an empty form.
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData))
        return fail(QStringLiteral("Kayıt deposu açılamadı."));
    records::StoredRecord stored;
    records::StoreError storeError;
    const bool read = records::RecordStore(db).load(id, &stored, &storeError);
    app::CloseDb(db);
    if (!read)
        return fail(storeError.text);
    if (!stored.vehicle)
        return fail(QStringLiteral("%1 numaralı kayıt yok.").arg(id));
    if (!records::OKU(screen, id) || messages.failed)
        return fail(QStringLiteral("%1 numaralı kayıt okunamadı.").arg(id));
    for (const QString &assignment : parser.values(kSet)) {
        const QString problem = applySet(screen, assignment);
        if (!problem.isEmpty())
            return fail(problem, 2);
    }

    std::vector<std::unique_ptr<FormReport>> reports;
    if (form == QLatin1String("ek1")) {
        reports.push_back(std::make_unique<ArTrafik>(screen));
        reports.push_back(std::make_unique<ArTrafikArka>(screen));
    } else {
        reports.push_back(std::make_unique<ArEk9>(screen));
    }
    QVector<const platform::Report *> pages;
    for (auto &r : reports) {
        r->run();
        pages << r.get();
    }
    if (messages.failed)
        return fail(QStringLiteral("Form hazırlanamadı."));
    QString error;
    if (toPrinter) {
        QString refused;
        if (!printToQueue(pages, printerName, &refused))
            return fail(QStringLiteral("Yazıcıya gönderilemedi: %1").arg(printerName)
                + (refused.isEmpty() ? QString() : QStringLiteral(": ") + refused));
    } else if (!platform::PdfExporter().write(pages, out, &error))
        return fail(QStringLiteral("PDF yazılamadı: %1: %2").arg(out, error));
    // The PDF is right by the fitting rule; the clerk still hears what was fitted.
    for (const QString &note : platform::fitNotes(pages))
        std::fprintf(stderr, "evrakmatik: %s\n", qPrintable(note));
    return 0;
}

} // namespace printing
