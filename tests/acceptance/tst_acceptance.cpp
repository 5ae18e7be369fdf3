// The program as a clerk uses it: the real executable on a real X server
// (Xvfb), driven by xdotool key by key, with its real message boxes and
// viewers. One transaction is typed through the focus order, saved, the
// screen cleared, found again in the list, loaded with Enter, printed to the
// viewer and exported as PDF; the store and the PDF are then read back.
#include "support/pdfwords.h"
#include "support/recordtables.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Everything waits on a condition; the limit only ends a test that hangs.
constexpr int kPatience = 90000;

class Desktop {
public:
    ~Desktop()
    {
        for (QProcess *p : { &program_, &xvfb_ }) {
            p->kill();
            p->waitForFinished(10000);
        }
    }

    // Starts Xvfb on a display no other server holds. A machine may share
    // its abstract socket names with servers outside this one's /tmp (a
    // sandbox), and clients try those names first, so a display is taken only
    // when neither its lock file nor its abstract socket exists, and only
    // once a client sees our own screen size on it.
    bool startServer()
    {
        QFile table("/proc/net/unix");
        const QByteArray sockets = table.open(QIODevice::ReadOnly) ? table.readAll() : QByteArray();
        for (int n = 73; n < 200; ++n) {
            const QString name = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) || QFile::exists(name)
                || sockets.contains("@" + name.toLatin1() + "\n"))
                continue;
            display_ = QStringLiteral(":%1").arg(n);
            xvfb_.kill();
            xvfb_.waitForFinished(10000);
            xvfb_.start("Xvfb",
                { display_, "-displayfd", "1", "-screen", "0", size_ + "x24", "-nolisten", "tcp" });
            QByteArray out;
            (void)QTest::qWaitFor(
                [&] {
                    xvfb_.waitForReadyRead(100);
                    out += xvfb_.readAllStandardOutput();
                    return out.contains('\n') || xvfb_.state() == QProcess::NotRunning;
                },
                kPatience);
            if (out.trimmed() == QByteArray::number(n)
                && xdo({ "getdisplaygeometry" }, 15000) == QString(size_).replace('x', ' '))
                return true;
            qWarning("%s is not our Xvfb: %s", qPrintable(display_),
                xvfb_.readAllStandardError().constData());
        }
        return false;
    }

    bool startProgram(
        const QString &programFolder, const QString &marginFolder, const QString &home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display_);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("HOME", home);
        env.insert("XDG_RUNTIME_DIR", home + "/runtime");
        env.remove("QT_QPA_PLATFORMTHEME");
        QDir().mkpath(home + "/runtime");
        QFile::setPermissions(home + "/runtime",
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        program_.setProcessEnvironment(env);
        program_.setProcessChannelMode(QProcess::ForwardedChannels);
        program_.start(EVRAKMATIK_PROGRAM,
            { "--program-folder", programFolder, "--margin-folder", marginFolder });
        return program_.waitForStarted(kPatience);
    }

    bool running() const { return program_.state() == QProcess::Running; }

    QString xdo(const QStringList &args, int patience = kPatience)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display_);
        p.setProcessEnvironment(env);
        p.start("xdotool", args);
        if (!p.waitForFinished(patience))
            p.kill();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // The program's windows now on screen.
    QStringList windows()
    {
        return xdo({ "search", "--onlyvisible", "--pid", QString::number(program_.processId()) })
            .split('\n', Qt::SkipEmptyParts);
    }

    // Waits for a window that is not in known and gives it the keyboard.
    QString newWindow(const QStringList &known)
    {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                for (const QString &w : windows())
                    found = known.contains(w) ? found : w;
                return !found.isEmpty() || !running();
            },
            kPatience);
        if (!found.isEmpty())
            xdo({ "windowfocus", "--sync", found });
        return found;
    }

    // The next viewer; the warning that no printer is set up, which a
    // machine without one shows first, is answered on the way.
    QString viewer(const QStringList &known)
    {
        for (;;) {
            const QString w = newWindow(known);
            if (w.isEmpty() || !xdo({ "getwindowname", w }).startsWith("Dikkat"))
                return w;
            keys("Return");
            if (!gone(w))
                return {};
        }
    }

    bool gone(const QString &window)
    {
        return QTest::qWaitFor([&] { return !windows().contains(window); }, kPatience);
    }

    void keys(const QString &sequence)
    {
        xdo(QStringList { "key", "--delay", "40" } + sequence.split(' ', Qt::SkipEmptyParts));
    }

    void type(const QString &text) { xdo({ "type", "--delay", "40", "--", text }); }

    // The pointer goes back to the corner, where no tooltip can open.
    void click(const QString &window, int x, int y)
    {
        xdo({ "mousemove", "--window", window, QString::number(x), QString::number(y), "click", "1",
            "mousemove", "0", "0" });
    }

private:
    QProcess xvfb_;
    QProcess program_;
    QString display_;
    // A screen size of this test's own: another run of it elsewhere on the
    // machine has a server of the same kind.
    const QString size_ =
        QStringLiteral("%1x1024").arg(1280 + QCoreApplication::applicationPid() % 97);
};

} // namespace

class TestAcceptance : public QObject {
    Q_OBJECT
private slots:
    void aWholeTransactionByKeyboard()
    {
        for (const char *tool : { "Xvfb", "xdotool", "pdftotext" }) {
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP("Xvfb, xdotool and pdftotext are needed (scripts/install-deps.sh)");
        }
        QTemporaryDir dir;
        const QString programFolder = dir.filePath("program");
        const QString store = programFolder + "/data/tescil.mdb";
        const QString home = dir.filePath("home");
        const QString pdf = dir.filePath("ek1.pdf");
        testing::copyTemplates(programFolder);
        QDir().mkpath(home + "/Documents");
        // Three records before the clerk's own, so the search has to find it.
        QVERIFY(QDir().mkpath(programFolder + "/data")
            && QFile::copy(programFolder + "/MDQ/tescil.mdq", store));
        QVERIFY(testing::sqlExec(store,
            "INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA) VALUES (1, 'M1', '01AA1'), "
            "(2, 'M2', '35BB2'), (3, 'M3', '99ZZ9'); INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, "
            "AD, SOYAD) VALUES (1, 1, 'Ayla', 'Demir'), (2, 1, 'Ahmet', 'Kaya'), (3, 1, 'Zeynep', "
            "'Ak')"));

        // A program that finds no display (a server of another test on this
        // machine took or ended ours) is started once more on another.
        Desktop d;
        QString main;
        for (int attempt = 0; attempt < 3 && main.isEmpty(); ++attempt) {
            QVERIFY(d.startServer());
            QVERIFY(d.startProgram(programFolder, dir.filePath("margins"), home));
            d.xdo({ "mousemove", "0", "0" });
            main = d.newWindow({});
        }
        QVERIFY2(!main.isEmpty(), "the main window did not appear");
        for (const QStringList &step : testing::readTable("acceptance/transaction.tsv")) {
            if (!step[0].isEmpty())
                d.type(step[0]);
            d.keys(step[1]);
        }

        // F2 saves; the real box says so and Enter closes it.
        d.keys("F2");
        const QString saved = d.newWindow({ main });
        QVERIFY2(!saved.isEmpty(), "no message after saving");
        d.keys("Return");
        QVERIFY(d.gone(saved));
        QVERIFY(d.running());
        d.xdo({ "windowfocus", "--sync", main });

        // "Temizle" by mouse, then "Bul" by key; the cursor is in the first
        // search box, Enter loads the row found.
        d.click(main, 947, 437);
        d.keys("F3");
        d.type("Ays");
        d.keys("Return");

        // EK-1: the office box, then "Yazdır" by mouse, and the front page
        // exported as PDF from its viewer (Alt+F), the back page closed.
        d.keys("F9");
        d.type("Kadikoy Tescil");
        d.click(main, 205, 319);
        const QString front = d.viewer({ main });
        QVERIFY2(!front.isEmpty(), "no viewer for the front page");
        d.keys("alt+f");
        const QString dialog = d.newWindow({ main, front });
        QVERIFY2(!dialog.isEmpty(), "no save dialog");
        d.keys("ctrl+a");
        d.type(pdf);
        d.keys("Return");
        QVERIFY(d.gone(dialog));
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(pdf).size() > 0; }, kPatience));
        d.xdo({ "windowfocus", "--sync", front });
        d.keys("Escape");
        QVERIFY(d.gone(front));
        const QString back = d.viewer({ main });
        QVERIFY2(!back.isEmpty(), "no viewer for the back page");
        d.keys("Escape");
        QVERIFY(d.gone(back));
        QVERIFY(d.running());

        // The store holds what was typed, once.
        const QString vehicle = "MOTORNO = 'MTR9001'";
        QString value;
        QVERIFY(testing::sqlExec(
            store, "SELECT count(*) FROM ARACKAYIT WHERE " + vehicle.toUtf8(), &value));
        QCOMPARE(value, "1");
        for (const QStringList &c : testing::readTable("acceptance/stored.tsv")) {
            const QString where = c[0] == "ARACKAYIT"
                ? vehicle
                : "SAHIPNO = 1 AND ARACID = (SELECT ID FROM ARACKAYIT WHERE " + vehicle + ")";
            value = "(no row)";
            QVERIFY(testing::sqlExec(store,
                QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(c[1], c[0], where).toUtf8(),
                &value));
            bool number = false;
            const double n = value.toDouble(&number);
            QCOMPARE(number ? QString::number(n, 'g', 15) : value, c[2]);
        }

        // The PDF shows the loaded record (the screen had been cleared) and
        // the office typed into the print frame.
        const testing::PdfText text = testing::readPdf(pdf);
        for (const char *word : { "MTR9001", "SAS9001", "Yilmaz", "Ford", "Kadikoy" })
            QVERIFY2(text.find(QLatin1String(word)), word);
    }
};

QTEST_MAIN(TestAcceptance)
#include "tst_acceptance.moc"
