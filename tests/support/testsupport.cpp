#include "testsupport.h"

#include "app/sharedstore.h"
#include "pgcluster.h"

#include "recordtables.h"

#include "app/appstate.h"
#include "app/mainwindow.h"
#include "app/startup.h"

#include <QApplication>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>

namespace testing {

platform::MsgAnswer ScriptedMessages::show(const platform::MessageRequest &request)
{
    shown_.push_back(request);
    if (!answers_.isEmpty())
        return answers_.takeFirst();
    return request.buttons == platform::MsgButtons::YesNo ? platform::MsgAnswer::Yes
                                                          : platform::MsgAnswer::Ok;
}

QStringList ScriptedMessages::titles() const
{
    QStringList t;
    for (const auto &r : shown_)
        t << r.title;
    return t;
}

void ScriptedMessages::reset()
{
    answers_.clear();
    shown_.clear();
    exits_ = 0;
}

void copyTemplates(const QString &folder)
{
    QDir().mkpath(folder + QStringLiteral("/MDQ"));
    const QDir built(QStringLiteral(EVRAKMATIK_TEST_MDQ));
    for (const QString &name : built.entryList(QDir::Files))
        QFile::copy(built.filePath(name), folder + QStringLiteral("/MDQ/") + name);
}

ProgramFolder::ProgramFolder(bool withTemplates)
{
    QDir().mkpath(path());
    QDir().mkpath(marginFolder());
    if (withTemplates)
        copyTemplates(path());
    app::Folders &f = app::folders();
    f.program = path();
    f.photo = path() + QStringLiteral("/Fotolar");
    f.margin = marginFolder();
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}

ProgramFolder::~ProgramFolder()
{
    app::folders() = app::Folders();
}

// The fonts, texts and formats of the real program, once per test process.
void prepareOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    app::prepareApplication(
        *qApp, QStringLiteral(EVRAKMATIK_TEST_MDQ) + QStringLiteral("/../fonts"));
}

Program::Program()
    : window((prepareOnce(), std::make_unique<app::MainWindow>()))
{
    window->load();
}

Program::~Program() = default;

// --- app area: files, stores, helper processes and data tables ---

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool sqlExec(const QString &path, const QByteArray &sql, QString *value)
{
    sqlite3 *db = nullptr;
    bool ok =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
            == SQLITE_OK
        && sqlite3_exec(
               db, sql.constData(),
               [](void *out, int, char **row, char **) {
                   if (out)
                       *static_cast<QString *>(out) = QString::fromUtf8(row[0]);
                   return 0;
               },
               value, nullptr)
            == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

int rowCount(const QString &path, const char *table)
{
    QString n;
    return sqlExec(path, QByteArray("SELECT count(*) FROM ") + table, &n) ? n.toInt() : -1;
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit r {};
    getrlimit(RLIMIT_FSIZE, &r);
    old_ = r.rlim_cur;
    apply(bytes);
}

void FileSizeLimit::apply(qint64 bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit r {};
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &r);
}

bool CrashChild::waitForLines(int n)
{
    while (process_.peek(process_.bytesAvailable()).count('\n') < n)
        if (!process_.waitForReadyRead(60000))
            return false;
    return true;
}

QStringList CrashChild::kill()
{
    process_.kill();
    process_.waitForFinished();
    return QString::fromLatin1(process_.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void CrashChild::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished())
        kill();
}

void addRows(const QString &name)
{
    addTableRows(name + QStringLiteral(".tsv"));
}

void whenModal(const std::function<bool(QWidget *)> &act)
{
    QTimer::singleShot(20, [act] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || !act(w))
            whenModal(act);
    });
}

} // namespace testing

// Records (entry screen, save and load): a whole transaction and what the save keeps of it.
#include "app/datafiles.h"
#include "platform/dategrid.h"
#include "records/entryscreen.h"
#include "records/textbox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTabWidget>
namespace testing {

void typeTransaction(records::EntryScreen &s)
{
    using records::EntryScreen;
    for (int i = 0; i < EntryScreen::kTxtCount; ++i) {
        if (i != 129)
            s.txt(i)->setText(QStringLiteral("ş%1").arg(i).left(s.txt(i)->maxLength()));
    }
    const std::pair<int, const char *> typed[] = { { 0, "34" }, { 1, "ABC" }, { 2, "123" },
        { 3, "06" }, { 4, "ZY" }, { 5, "9876" }, { 16, "MTR-0001" }, { 18, "1500,5" },
        { 19, "1500,5" }, { 20, "1500,5" }, { 21, "1500,5" }, { 22, "4" }, { 23, "4" }, { 24, "4" },
        { 25, "4" }, { 26, "4" }, { 28, "4" }, { 29, "4" }, { 33, "12" }, { 34, "15" } };
    for (const auto &[box, text] : typed)
        s.txt(box)->setText(QString::fromUtf8(text));
    for (int n = 1; n <= 3; ++n) {
        const int b = EntryScreen::ownerBase(n);
        s.txt(b)->setText(QStringLiteral("1000000000%1").arg(n));
        s.txt(b + 23)->setText(QStringLiteral("21%1").arg(n));
        s.txt(b + 24)->setText(QStringLiteral("555000%1").arg(n));
        s.txt(b + 25)->setText(QStringLiteral("53%1").arg(n));
        s.txt(b + 26)->setText(QStringLiteral("444000%1").arg(n));
        s.sprTarih(n + 2)->setText(QStringLiteral("0%1.0%1.198%1").arg(n));
        s.OptA(2 * (n - 1) + (n == 2 ? 1 : 0))->setChecked(true);
        s.optC(2 * (n - 1) + (n == 3 ? 1 : 0))->setChecked(true);
        s.optAdres(2 * (n - 1) + (n == 1 ? 1 : 0))->setChecked(true);
        s.optTel(2 * (n - 1) + (n == 2 ? 0 : 1))->setChecked(true);
        s.cmbX(3 * n)->setCurrentIndex(n + 5);
        s.cmbX(4 * n)->setCurrentText(n == 3 ? QStringLiteral("DİĞER") : QStringLiteral("TC"));
    }
    for (int i : { 0, 3, 10 })
        s.chkX(i)->setChecked(true);
    for (int i : { 12, 17, 25 })
        s.optX(i)->setChecked(true);
    s.cmbX(2)->setCurrentText(QStringLiteral("VAR"));
    s.cmbX(0)->setEditText(QStringLiteral("Toyota"));
    s.ModelDoldur();
    s.cmbX(1)->setEditText(QStringLiteral("Corolla"));
    for (int i : { 0, 1, 2, 6 })
        s.sprTarih(i)->setText(QStringLiteral("0%1.11.2009").arg(i == 6 ? 8 : i + 5));
}

QStringList snapshot(const records::EntryScreen &s)
{
    QStringList shot;
    auto add = [&](const char *kind, int i, const QString &value) {
        shot << QStringLiteral("%1(%2)=%3").arg(QLatin1String(kind)).arg(i).arg(value);
    };
    for (int i = 0; i < records::EntryScreen::kTxtCount; ++i) {
        if (!((i >= 124 && i <= 127) || i >= 131 || i == 129)) // print-frame values are not stored
            add("txt", i, s.txt(i)->text());
    }
    for (int i = 0; i < 7; ++i)
        add("sprTarih", i, s.sprTarih(i)->text());
    for (int i : records::EntryScreen::comboIndices())
        add("cmbX", i, s.cmbX(i)->currentText());
    for (int i = 11; i <= 26; ++i)
        add("optX", i, QString::number(s.optX(i)->isChecked()));
    for (int i = 0; i <= 10; ++i)
        add("chkX", i, QString::number(s.chkX(i)->isChecked()));
    for (int i = 0; i < 6; ++i) {
        add("OptA", i, QString::number(s.OptA(i)->isChecked()));
        add("optC", i, QString::number(s.optC(i)->isChecked()));
        add("optAdres", i, QString::number(s.optAdres(i)->isChecked()));
        add("optTel", i, QString::number(s.optTel(i)->isChecked()));
    }
    return shot;
}

void resetChoices(records::EntryScreen &s)
{
    for (QRadioButton *b : s.sTabber()->findChildren<QRadioButton *>()) {
        b->group()->setExclusive(false);
        b->setChecked(false);
        b->group()->setExclusive(true);
    }
    for (int i : records::EntryScreen::comboIndices()) {
        s.cmbX(i)->setCurrentIndex(-1);
        s.cmbX(i)->setEditText(QString());
    }
}

QVariantList storeColumn(const QString &sql)
{
    QSqlDatabase db;
    QVariantList values;
    if (!app::OpenData(db, app::RecordStoreData))
        return values;
    {
        QSqlQuery q(db);
        q.exec(sql);
        while (q.next())
            values << q.value(0);
    }
    app::CloseDb(db);
    return values;
}

bool storeExec(const QString &sql)
{
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData))
        return false;
    const bool done = QSqlQuery(db).exec(sql);
    app::CloseDb(db);
    return done;
}

// --- the shared store on a throwaway PostgreSQL server ---

PgCluster &pgCluster()
{
    static PgCluster *cluster = nullptr;
    if (!cluster) {
        cluster = new PgCluster;
        // Stopped before the application object goes, while processes still run.
        qAddPostRoutine([] {
            delete cluster;
            cluster = nullptr;
        });
    }
    return *cluster;
}

SharedStoreScope::SharedStoreScope(bool active)
{
    if (!active)
        return;
    static int serial = 0;
    PgCluster &cluster = pgCluster();
    const QString name = QStringLiteral("deneme%1").arg(++serial);
    ok_ = cluster.start() && cluster.createDatabase(name);
    if (!ok_) {
        error_ = cluster.error();
        return;
    }
    connection_ = cluster.connection(name);
    app::sharedStore().connection = connection_;
}

SharedStoreScope::~SharedStoreScope()
{
    app::sharedStore() = app::SharedStore();
}

void addEngineRows()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

} // namespace testing

// Entry screen and app faults: the program itself, run as the clerk's scripts run it.
namespace testing {

int printPdf(const ProgramFolder &folder, const char *form, qint64 id, const QString &out,
    QString *errors, qint64 fileLimit)
{
    const ProgramRun run = runProgram(folder,
        { QStringLiteral("--print-pdf"), QLatin1String(form), QStringLiteral("--id"),
            QString::number(id), QStringLiteral("--out"), out },
        {}, fileLimit);
    *errors = run.errors.trimmed();
    return run.code;
}

ProgramRun runProgram(const ProgramFolder &folder, const QStringList &args,
    const QProcessEnvironment &env, qint64 fileLimit)
{
    QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
    QDir().mkpath(folder.path() + QStringLiteral("/home"));
    all.insert(QStringLiteral("HOME"), folder.path() + QStringLiteral("/home"));
    all.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    all.insert(env);
    QProcess child;
    child.setProcessEnvironment(all);
    child.setChildProcessModifier([fileLimit] {
        if (fileLimit > 0)
            FileSizeLimit::apply(fileLimit);
    });
    // The program is built beside the templates the tests use.
    child.start(QStringLiteral(EVRAKMATIK_TEST_MDQ "/../evrakmatik"),
        QStringList { QStringLiteral("--program-folder"), folder.path(),
            QStringLiteral("--margin-folder"), folder.marginFolder() }
            + args);
    ProgramRun run;
    if (!child.waitForFinished(120000))
        return run;
    run.out = QString::fromUtf8(child.readAllStandardOutput());
    run.errors = QString::fromUtf8(child.readAllStandardError());
    run.code = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    return run;
}

} // namespace testing
