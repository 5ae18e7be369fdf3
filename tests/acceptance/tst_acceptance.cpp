// The program as a clerk uses it: the real executable on a real X server
// (Xvfb), driven by xdotool key by key, with its real message boxes and
// viewers. One transaction is typed through the focus order, saved, the
// screen cleared, found again in the list, loaded with Enter, printed to the
// viewer and exported as PDF; the store and the PDF are then read back.
#include "support/pdfwords.h"
#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

// Everything waits on a condition; the limit only ends a test that hangs.
constexpr int kPatience = 90000;

// Polls until test holds or the patience runs out.
template<typename Test> bool waitFor(Test test)
{
    QElapsedTimer clock;
    clock.start();
    while (!test()) {
        if (clock.elapsed() > kPatience)
            return false;
        QThread::msleep(50);
    }
    return true;
}

class Desktop {
public:
    ~Desktop()
    {
        for (QProcess *p : { &program_, &xvfb_ }) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(10000);
            }
        }
    }

    // Starts Xvfb on a display no other server holds. A machine may share
    // its abstract socket names with servers outside this one's /tmp (a
    // sandbox), and clients try those names first, so a display is taken only
    // when neither its lock file nor its abstract socket exists, and only
    // once a client sees our own screen on it.
    bool startServer()
    {
        QFile table(QStringLiteral("/proc/net/unix"));
        const QByteArray sockets = table.open(QIODevice::ReadOnly) ? table.readAll() : QByteArray();
        for (int n = 73; n < 200; ++n) {
            const QString name = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) || QFile::exists(name)
                || sockets.contains("@" + name.toLatin1() + "\n"))
                continue;
            if (startServerOn(n))
                return true;
        }
        return false;
    }

    bool startServerOn(int n)
    {
        if (xvfb_.state() != QProcess::NotRunning) {
            xvfb_.kill();
            xvfb_.waitForFinished(10000);
        }
        xvfb_.setProcessChannelMode(QProcess::SeparateChannels);
        xvfb_.start(QStringLiteral("Xvfb"),
            { QStringLiteral(":%1").arg(n), QStringLiteral("-displayfd"), QStringLiteral("1"),
                QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                QStringLiteral("-nolisten"), QStringLiteral("tcp") });
        if (!xvfb_.waitForStarted(kPatience))
            return false;
        QByteArray out;
        waitFor([&] {
            xvfb_.waitForReadyRead(100);
            out += xvfb_.readAllStandardOutput();
            return out.contains('\n') || xvfb_.state() == QProcess::NotRunning;
        });
        display_ = QStringLiteral(":%1").arg(n);
        if (xvfb_.state() != QProcess::Running || out.trimmed() != QByteArray::number(n)) {
            qWarning(
                "Xvfb on %s: %s", qPrintable(display_), xvfb_.readAllStandardError().constData());
            return false;
        }
        const QString size = xdo({ QStringLiteral("getdisplaygeometry") }, 15000);
        if (size != QStringLiteral("1280 1024")) {
            qWarning(
                "%s is not our Xvfb (a client saw \"%s\")", qPrintable(display_), qPrintable(size));
            return false;
        }
        return true;
    }

    bool startProgram(
        const QString &programFolder, const QString &marginFolder, const QString &home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
        env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
        QDir().mkpath(home + QStringLiteral("/runtime"));
        QFile::setPermissions(home + QStringLiteral("/runtime"),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        program_.setProcessEnvironment(env);
        program_.setProcessChannelMode(QProcess::ForwardedChannels);
        program_.start(QStringLiteral(EVRAKMATIK_PROGRAM),
            { QStringLiteral("--program-folder"), programFolder, QStringLiteral("--margin-folder"),
                marginFolder });
        return program_.waitForStarted(kPatience);
    }

    bool running() const { return program_.state() == QProcess::Running; }

    QString xdo(const QStringList &args, int patience = kPatience)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), args);
        if (!p.waitForFinished(patience))
            p.kill();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // The program's windows now on screen.
    QStringList windows()
    {
        return xdo({ QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                       QStringLiteral("--pid"), QString::number(program_.processId()) })
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // Waits for a window that is not in known and gives it the keyboard.
    QString newWindow(const QStringList &known)
    {
        QString found;
        waitFor([&] {
            for (const QString &w : windows()) {
                if (!known.contains(w))
                    found = w;
            }
            return !found.isEmpty() || !running();
        });
        if (!found.isEmpty())
            focus(found);
        return found;
    }

    // The next viewer; the warning that no printer is set up, which a
    // machine without one shows first, is answered on the way.
    QString viewer(const QStringList &known)
    {
        for (;;) {
            const QString w = newWindow(known);
            if (w.isEmpty()
                || !xdo({ QStringLiteral("getwindowname"), w })
                        .startsWith(QStringLiteral("DİKKAT")))
                return w;
            keys(QStringLiteral("Return"));
            if (!gone(w))
                return {};
        }
    }

    bool gone(const QString &window)
    {
        return waitFor([&] { return !windows().contains(window); });
    }

    void focus(const QString &window)
    {
        xdo({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
    }

    void keys(const QString &sequence)
    {
        QStringList args { QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40") };
        args << sequence.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        xdo(args);
    }

    void type(const QString &text)
    {
        xdo({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"),
            QStringLiteral("--"), text });
    }

    // The pointer goes back to the corner, where no tooltip can open.
    void click(const QString &window, int x, int y)
    {
        xdo({ QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
            QString::number(y), QStringLiteral("click"), QStringLiteral("1"),
            QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0") });
    }

    // Types each text into the box that has the focus and moves on with the
    // keys after it ("Return" unless given).
    void fill(const QVector<QPair<QString, QString>> &steps)
    {
        for (const auto &[text, then] : steps) {
            if (!text.isEmpty())
                type(text);
            keys(then.isEmpty() ? QStringLiteral("Return") : then);
        }
    }

private:
    QProcess xvfb_;
    QProcess program_;
    QString display_;
};

bool haveTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// Three records before the clerk's own, so the search has to find it.
bool seedStore(const QString &programFolder)
{
    QDir().mkpath(programFolder + QStringLiteral("/data"));
    const QString store = programFolder + QStringLiteral("/data/tescil.mdb");
    if (!QFile::copy(programFolder + QStringLiteral("/MDQ/tescil.mdq"), store))
        return false;
    bool ok = true;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("seed"));
        db.setDatabaseName(store);
        ok = db.open();
        QSqlQuery q(db);
        ok = ok
            && q.exec(QStringLiteral("INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA) VALUES "
                                     "(1, 'M1', '01AA1'), (2, 'M2', '35BB2'), (3, 'M3', '99ZZ9')"))
            && q.exec(
                QStringLiteral("INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, AD, SOYAD) VALUES "
                               "(1, 1, 'Ayla', 'Demir'), (2, 1, 'Ahmet', 'Kaya'), "
                               "(3, 1, 'Zeynep', 'Ak')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("seed"));
    return ok;
}

} // namespace

class TestAcceptance : public QObject {
    Q_OBJECT
private slots:
    void aWholeTransactionByKeyboard()
    {
        if (!haveTools())
            QSKIP("Xvfb, xdotool and pdftotext are needed (scripts/install-deps.sh)");
        QTemporaryDir dir;
        const QString programFolder = dir.filePath(QStringLiteral("program"));
        const QString home = dir.filePath(QStringLiteral("home"));
        const QString pdf = dir.filePath(QStringLiteral("ek1.pdf"));
        testing::copyTemplates(programFolder);
        QVERIFY(seedStore(programFolder));
        QDir().mkpath(home + QStringLiteral("/Documents"));

        Desktop d;
        QVERIFY(d.startServer());
        QVERIFY(d.startProgram(programFolder, dir.filePath(QStringLiteral("margins")), home));
        // The pointer out of the way, where no tooltip can open over a window.
        d.xdo({ QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0") });
        const QString main = d.newWindow({});
        QVERIFY2(!main.isEmpty(), "the main window did not appear");

        // Vehicle tab, from its first box along the focus order.
        d.keys(QStringLiteral("alt+a"));
        d.fill({ { "34", "" }, { "abc", "" }, { "1234", "" }, { "06", "" }, { "xy", "" },
            { "567", "" }, { "", "space Tab" }, { "Kadikoy Noterligi", "" }, { "Satis Senedi", "" },
            { "01.02.2020", "" }, { "SB123", "" }, { "03.04.2021", "" }, { "TB456", "" },
            { "Rehin yok", "" }, { "Izin yok", "" }, { "Sefer yok", "" }, { "Degisiklik yok", "" },
            { "Kadikoy VD", "" }, { "Anadolu Sigorta", "" }, { "Istanbul", "" },
            { "05.06.2024", "" }, { "12", "" }, { "0", "" }, { "POL789", "" },
            // A group of options is one stop: Space chooses, an arrow moves
            // on in the group. The brand is picked from the suggestions, the
            // model typed.
            { "Ford", "Down Return Tab" }, { "Focus", "Tab" }, { "Focus Trend", "" },
            { "2015", "" }, { "M1", "" }, { "Otomobil", "" }, { "Beyaz", "" }, { "Gri", "" },
            { "MTR9001", "" }, { "SAS9001", "" }, { "1200", "" }, { "1500", "" }, { "5", "" },
            { "1596", "" }, { "70", "" }, { "1700", "" }, { "750", "" }, { "0", "" }, { "85", "" },
            { "e1*2001", "" }, { "", "Right space Tab" }, { "", "space Tab" }, { "2", "" },
            { "4", "" }, { "", "Down Tab" }, { "Kayip", "" } });
        // Owner 1, straight into the identity box.
        d.keys(QStringLiteral("alt+k"));
        d.fill({ { "12345678901", "" }, { "Ayse", "" }, { "Yilmaz", "" }, { "Ali", "" },
            { "Fatma", "" }, { "Ankara", "" }, { "10.11.1980", "" }, { "", "Right space Tab" },
            { "", "Down Tab" }, { "", "Down Tab" }, { "Ankara", "" }, { "Cankaya", "" },
            { "Kizilay", "" }, { "A", "" }, { "123456", "" }, { "12", "" }, { "34", "" },
            { "56", "" }, { "Istanbul", "" }, { "Kadikoy", "" }, { "Moda", "" }, { "Caferaga", "" },
            { "Bahariye", "" }, { "Sogutlucesme", "" }, { "Gul Apt", "" }, { "5", "" }, { "7", "" },
            { "216", "" }, { "3334455", "" }, { "532", "" }, { "1112233", "" } });

        // F2 saves; the real box says so and Enter closes it.
        d.keys(QStringLiteral("F2"));
        const QString saved = d.newWindow({ main });
        QVERIFY2(!saved.isEmpty(), "no message after saving");
        d.keys(QStringLiteral("Return"));
        QVERIFY(d.gone(saved));
        QVERIFY(d.running());
        d.focus(main);

        // "Temizle" by mouse, then "Bul" by key; the cursor is in the first
        // search box, Enter loads the row found.
        d.click(main, 947, 437);
        d.keys(QStringLiteral("F3"));
        d.type(QStringLiteral("Ays"));
        d.keys(QStringLiteral("Return"));

        // EK-1: the office box, then "Yazdır" by mouse, and the front page
        // exported as PDF from its viewer (Alt+F), the back page closed.
        d.keys(QStringLiteral("F9"));
        d.type(QStringLiteral("Kadikoy Tescil"));
        d.click(main, 205, 319);
        const QString front = d.viewer({ main });
        QVERIFY2(!front.isEmpty(), "no viewer for the front page");
        d.keys(QStringLiteral("alt+f"));
        const QString dialog = d.newWindow({ main, front });
        QVERIFY2(!dialog.isEmpty(), "no save dialog");
        d.keys(QStringLiteral("ctrl+a"));
        d.type(pdf);
        d.keys(QStringLiteral("Return"));
        QVERIFY(d.gone(dialog));
        QVERIFY(waitFor([&] { return QFileInfo(pdf).size() > 0; }));
        d.focus(front);
        d.keys(QStringLiteral("Escape"));
        QVERIFY(d.gone(front));
        const QString back = d.viewer({ main });
        QVERIFY2(!back.isEmpty(), "no viewer for the back page");
        d.keys(QStringLiteral("Escape"));
        QVERIFY(d.gone(back));
        QVERIFY(d.running());

        // The store holds what was typed, once.
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(programFolder + QStringLiteral("/data/tescil.mdb"));
        QVERIFY(db.open());
        {
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("SELECT * FROM ARACKAYIT WHERE MOTORNO = 'MTR9001'")));
            QVERIFY(q.next());
            const QSqlRecord r = q.record();
            const QVector<QPair<const char *, QString>> expected { { "ESKIPLAKA", "06XY567" },
                { "YENIPLAKA", "34ABC1234" }, { "SASENO", "SAS9001" },
                { "BELGEDUZENLEYEN", "Kadikoy Noterligi" }, { "TRAFIKBELGENO", "TB456" },
                { "DEGISIKLIKLER", "Degisiklik yok" }, { "SIGORTAPOLICENO", "POL789" },
                { "MARKA", "Ford" }, { "MODEL", "Focus" }, { "MODELTICARIADI", "Focus Trend" },
                { "NETAGR", "1200" }, { "KATARAGR", "1500" }, { "YUKLUAGR", "1700" },
                { "TIPONAY2", "e1*2001" }, { "TEKERSAYISI", "4" }, { "TAKOGRAF", "1" },
                { "KULLANIMAMACI", "11" }, { "YAKITCINSI", "16" }, { "KULLANIMSEKLI", "20" },
                { "YENILEMENEDENI", "Kayip" } };
            for (const auto &[column, value] : expected)
                QCOMPARE(q.value(QLatin1String(column)).toString(), value);
            QVERIFY(!q.next());
            QVERIFY(
                q.exec(QStringLiteral("SELECT KIMLIKNO, AD, SOYAD, NUFUSIL, CINSIYET, KANGRUBU, "
                                      "TABIYET, TELEFONCEP FROM ARACSAHIPLERI "
                                      "WHERE ARACID = (SELECT ID FROM ARACKAYIT WHERE MOTORNO = "
                                      "'MTR9001')")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("12345678901"));
            QCOMPARE(q.value(1).toString(), QStringLiteral("Ayse"));
            QCOMPARE(q.value(2).toString(), QStringLiteral("Yilmaz"));
            QCOMPARE(q.value(3).toString(), QStringLiteral("Ankara"));
            QCOMPARE(q.value(4).toString(), QStringLiteral("K"));
            QCOMPARE(q.value(5).toString(), QStringLiteral("ABrh+"));
            QCOMPARE(q.value(6).toString(), QStringLiteral("TC"));
            QCOMPARE(q.value(7).toString(), QStringLiteral("5321112233"));
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("check"));

        // The PDF shows the loaded record (the screen had been cleared) and
        // the office typed into the print frame.
        const testing::PdfText text = testing::readPdf(pdf);
        for (const char *word : { "MTR9001", "SAS9001", "Yilmaz", "Ford", "Kadikoy" })
            QVERIFY2(text.find(QLatin1String(word)), word);
    }
};

QTEST_MAIN(TestAcceptance)
#include "tst_acceptance.moc"
