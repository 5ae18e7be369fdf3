#include "startup.h"

#include "appstate.h"
#include "backups.h"
#include "basics.h"
#include "datafiles.h"
#include "findcommand.h"
#include "jetimport.h"
#include "mainwindow.h"
#include "platform/appicon.h"
#include "platform/desktopshortcut.h"
#include "platform/fileaccess.h"
#include "platform/fontfiles.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/regionalformats.h"
#include "printing/headlessprint.h"
#include "restorebackup.h"
#include "sharedstore.h"
#include "storemove.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

#include <cstdio>

namespace app {

namespace {

const char *const kTemplates[] = { "tescil.mdq", "Arac.mdq", "sabit.mdq", "IL.mdq" };

QString pick(const QString &option, const char *variable, const QString &fallback)
{
    if (!option.isEmpty())
        return option;
    const QString env = qEnvironmentVariable(variable);
    return env.isEmpty() ? fallback : env;
}

// A program folder given on the command line has no templates of its own the
// first time: it gets a copy of those beside the executable.
void provideTemplates(const QString &programFolder)
{
    const QString mdq = programFolder + QStringLiteral("/MDQ");
    const QString shipped = platform::resourceFolder() + QStringLiteral("/MDQ");
    if (QFileInfo(mdq).isDir() || !QFileInfo(shipped).isDir()
        || QDir(mdq).canonicalPath() == QDir(shipped).canonicalPath())
        return;
    platform::makePrivateFolder(mdq);
    for (const char *name : kTemplates) {
        const QString from = shipped + QLatin1Char('/') + QLatin1String(name);
        const QString to = mdq + QLatin1Char('/') + QLatin1String(name);
        if (QFile::exists(from) && QFile::copy(from, to))
            QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    }
}

// Nobody answers a box on the command line: its text goes to standard error,
// a question is answered No, and a warning or an error fails the run.
class ConsoleBoxes final : public platform::MessageService {
public:
    bool failed = false;
    platform::MsgAnswer show(const platform::MessageRequest &r) override
    {
        QString text = r.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        std::fprintf(
            stderr, "evrakmatik: %s: %s\n", qPrintable(r.title), qPrintable(text.simplified()));
        failed =
            failed || r.icon == platform::MsgIcon::Critical || r.icon == platform::MsgIcon::Warning;
        return r.buttons == platform::MsgButtons::YesNo ? platform::MsgAnswer::No
                                                        : platform::MsgAnswer::Ok;
    }
    void endProcess(int) override { failed = true; }
};

} // namespace

StartOptions resolveStartOptions(const QString &programOption, const QString &marginOption)
{
    StartOptions o;
    o.programFolder = pick(programOption, "EVRAKMATIK_PROGRAM_FOLDER", QString());
    o.marginFolder = pick(marginOption, "EVRAKMATIK_MARGIN_FOLDER", QString());
    return o;
}

void prepareApplication(QApplication &application, const QString &fontFolder)
{
    application.setApplicationName(QStringLiteral("evrakmatik"));
    // --version names the window's form first and then the package's, which
    // writes the revision without its leading zero.
    application.setApplicationVersion(QStringLiteral("%1 (paket %2.%3.%4)")
                                          .arg(VersionText())
                                          .arg(EVRAKMATIK_VERSION_MAJOR)
                                          .arg(EVRAKMATIK_VERSION_MINOR)
                                          .arg(EVRAKMATIK_VERSION_PATCH));
    application.setOrganizationName(QStringLiteral("evrakmatik"));
    QGuiApplication::setDesktopFileName(QStringLiteral("evrakmatik"));
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(platform::appIcon());

    // Tahoma from Debian's fonts-wine keeps layout and line breaks the same on
    // every machine; without it Qt would silently take a wider font.
    // The copies beside the program have their line metrics and dotted capital
    // I mended, and a bold face grown from the regular outlines (the shipped
    // bold face carries the regular outlines). fonts-wine's own copies are
    // the last resort.
    bool tahoma = false;
    for (const char *face : { "tahoma.ttf", "tahomabd.ttf" }) {
        for (const QString &folder :
            { fontFolder + QLatin1Char('/'), platform::resourceFolder() + QStringLiteral("/fonts/"),
                platform::resourceFolder() + QStringLiteral("/../fonts/truetype/evrakmatik/"),
                QStringLiteral("/usr/share/wine/fonts/") }) {
            const QString file = folder + QLatin1String(face);
            if (QFile::exists(file) && QFontDatabase::addApplicationFont(file) >= 0) {
                platform::rememberFontFile(QStringLiteral("Tahoma"),
                    qstrcmp(face, "tahomabd.ttf") == 0, QFileInfo(file).absoluteFilePath());
                tahoma = true;
                break;
            }
        }
    }
    if (!tahoma)
        std::fprintf(stderr,
            "evrakmatik: Tahoma yazı tipi bulunamadı (fonts-wine); "
            "yerine benzer bir yazı tipi kullanılıyor.\n");
    QFont font(tahoma ? QStringLiteral("Tahoma") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    // Hinted, the bundled bold face drops the Turkish accents at small sizes.
    font.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(font);

    auto *qtTexts = new QTranslator(&application);
    if (qtTexts->load(QLocale(QLocale::Turkish, QLocale::Turkey), QStringLiteral("qtbase"),
            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTexts);
    platform::applyRegionalFormats();
}

void runStartupSequence(const StartOptions &options)
{
    Folders &f = folders();
    f.margin = QDir::cleanPath(
        options.marginFolder.isEmpty() ? platform::defaultMarginFolder() : options.marginFolder);
    // The margins file decides where a form prints: its folder is the user's
    // alone, so nobody else can plant a file or a link there.
    platform::makePrivateFolder(f.margin);
    platform::keepPrivate(f.margin);
    // Run from its build the program keeps its data beside itself; installed,
    // in the user's data folder, since the system folders are not its to write.
    QString program = QDir(options.programFolder).absolutePath();
    if (options.programFolder.isEmpty())
        program = platform::runningInstalled() ? platform::userDataFolder()
                                               : platform::executableFolder();
    f.program = QDir::cleanPath(ShortPath(program));
    f.photo = f.program + QStringLiteral("/Fotolar");
    f.desktop = platform::desktopFolder();
    // What the program keeps there is its user's alone, whatever the umask.
    platform::makePrivateFolder(f.program);
    provideTemplates(f.program);
    platform::createDesktopShortcut(f.desktop, QStringLiteral("evrakmatik"),
        QCoreApplication::applicationFilePath(), QStringLiteral("Kısayolu"));
    platform::makePrivateFolder(f.photo);
    platform::keepPrivate(f.photo);
    keepDataPrivate();
}

int runProgram(int argc, char **argv)
{
    // Printing to PDF, the version and the help need no display: without one,
    // draw offscreen.
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        for (const char *option :
            { "--print-pdf", "--version", "-v", "--help", "-h", "--move-store", "--restore",
                "--list-backups", "--upgrade-store", "--import-jet", "--brands", "--find" })
            headless = headless || arg == option || arg.startsWith(QByteArray(option) + '=');
    }
    if (headless && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::preferTurkishDates();
    QApplication application(argc, argv);
    prepareApplication(application);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("EVRAKMATİK: araç tescil evraklarının hazırlanması ve basılması"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption programFolder(QStringLiteral("program-folder"),
        QStringLiteral("Veri dosyalarının klasörü."), QStringLiteral("DIR"));
    const QCommandLineOption marginFolder(QStringLiteral("margin-folder"),
        QStringLiteral("Sayfa boşlukları dosyasının klasörü."), QStringLiteral("DIR"));
    // A libpq connection text without a password; libpq finds the password
    // in ~/.pgpass or PGPASSFILE.
    const QCommandLineOption sharedStoreOption(QStringLiteral("shared-store"),
        QStringLiteral("Ortak kayıt deposunun PostgreSQL bağlantısı (parolasız), örneğin "
                       "\"service=evrakmatik\"."),
        QStringLiteral("BAGLANTI"));
    const QCommandLineOption moveStoreOption(QStringLiteral("move-store"),
        QStringLiteral("Kayıtları yerel depodan ortak depoya (shared) ya da geri (local) "
                       "aktarır; hedef boş olmalı."),
        QStringLiteral("shared|local"));
    const QCommandLineOption restore(QStringLiteral("restore"),
        QStringLiteral("Kayıt deposunu bir yedekle değiştirir (şimdiki depo yedek klasörüne "
                       "saklanır)."),
        QStringLiteral("DOSYA"));
    const QCommandLineOption listBackups(QStringLiteral("list-backups"),
        QStringLiteral("Yedekleri tarihleri ve kayıt sayılarıyla listeler."));
    const QCommandLineOption upgradeStoreOption(QStringLiteral("upgrade-store"),
        QStringLiteral("Ortak kayıt deposunun tablolarını kurar ya da bu sürüme yükseltir; "
                       "veritabanının sahibi olan kullanıcının bağlantısıyla çalıştırılır."));
    const QCommandLineOption importJet(QStringLiteral("import-jet"),
        QStringLiteral("Bir Jet (Access .mdb) dosyasındaki kayıtları (ARACKAYIT, ARACSAHIPLERI) "
                       "boş kayıt deposuna aktarır."),
        QStringLiteral("DOSYA"));
    const QCommandLineOption brandsOption(QStringLiteral("brands"),
        QStringLiteral("--import-jet ile: dosyanın Araclar tablosunu marka listesine ekler."));
    parser.addOption(programFolder);
    parser.addOption(marginFolder);
    parser.addOption(sharedStoreOption);
    parser.addOption(moveStoreOption);
    parser.addOption(restore);
    parser.addOption(listBackups);
    parser.addOption(upgradeStoreOption);
    parser.addOption(importJet);
    parser.addOption(brandsOption);
    const QCommandLineOption find(QStringLiteral("find"),
        QStringLiteral("Yazılan her kelimeyi taşıyan kayıtları satır satır yazar (sekmeyle "
                       "ayrılmış: ID, eski plaka, yeni plaka, şase, motor, ilk sahip, bulunan "
                       "alan); bulursa 0, bulamazsa 1 ile biter."),
        QStringLiteral("METIN"));
    parser.addOption(find);
    printing::addHeadlessOptions(parser);
    parser.process(application);

    runStartupSequence(
        resolveStartOptions(parser.value(programFolder), parser.value(marginFolder)));
    QString why;
    if (!chooseSharedStore(parser.value(sharedStoreOption), &why)) {
        // No local store in its place: records typed there would reach no
        // other desk, and nothing on screen would say so.
        const QString text = why
            + QStringLiteral("\r\n\r\nKayıtlar başka masaların görmediği bir depoya "
                             "gitmesin diye program açılmadı.");
        const bool console = parser.isSet(moveStoreOption) || parser.isSet(listBackups)
            || parser.isSet(upgradeStoreOption) || parser.isSet(restore) || parser.isSet(importJet)
            || parser.isSet(find) || printing::headlessRequested(parser);
        if (console)
            std::fprintf(stderr, "%s\n",
                qPrintable(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
        else
            platform::showMessage(platform::MsgIcon::Warning, platform::MsgButtons::Ok,
                QStringLiteral("Dikkat"), text);
        return 2;
    }
    if (parser.isSet(moveStoreOption))
        return moveStore(parser.value(moveStoreOption));
    if (parser.isSet(upgradeStoreOption))
        return upgradeStore();
    if (parser.isSet(importJet))
        return importJetCommand(parser.value(importJet), parser.isSet(brandsOption));
    if (parser.isSet(brandsOption)) {
        std::fputs("--brands yalnız --import-jet DOSYA ile birlikte kullanılır.\n", stderr);
        return 2;
    }
    if (usesSharedStore() && (parser.isSet(listBackups) || parser.isSet(restore))) {
        std::fputs("Ortak kayıt deposu sunucuda yedeklenir (pg_dump); bu masa yedek almaz "
                   "ve geri yüklemez.\n",
            stderr);
        return 1;
    }
    ConsoleBoxes console;
    if (parser.isSet(listBackups) || parser.isSet(restore))
        platform::setMessageService(&console);
    if (parser.isSet(listBackups)) {
        const QString list = backupListText();
        platform::setMessageService(nullptr);
        if (console.failed)
            return 1;
        std::fputs(list.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.isSet(restore)) {
        const RestoreOutcome outcome = restoreRecordStore(parser.value(restore));
        if (outcome.ok)
            upgradeRecordStore(consoleProgress);
        platform::setMessageService(nullptr);
        const QByteArray text = QString(outcome.text)
                                    .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                    .toLocal8Bit()
            + '\n';
        std::fputs(text.constData(), outcome.ok ? stdout : stderr);
        // The backup is in place; an upgrade that failed was told above.
        return outcome.ok && !console.failed ? 0 : 1;
    }
    if (parser.isSet(find))
        return findCommand(parser.value(find));
    if (printing::headlessRequested(parser))
        return printing::runHeadless(parser);

    MainWindow window;
    window.load();
    window.show();
    return application.exec();
}

} // namespace app
