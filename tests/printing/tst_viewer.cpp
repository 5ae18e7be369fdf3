#include "app/appstate.h"
#include "app/inisettings.h"
#include "app/mainwindow.h"
#include "platform/desktopservices.h"
#include "platform/report.h"
#include "printing/formviewer.h"
#include "printing/margindialog.h"
#include "printing/margins.h"
#include "printing/reportviewer.h"
#include "printing/viewerframe.h"
#include "support/recordtables.h"
#include "support/testsupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace printing;

namespace {

// A report with the real start sequence and made-up defaults.
class MarginReport final : public platform::Report {
public:
    int runs = 0;
    MarginReport()
    {
        name = "ar_Trafik";
        tools = stockTools();
        platform::ReportField f;
        f.name = "Field1";
        f.rect = QRect(0, 0, 1000, 315);
        fields << f;
    }
    void run() override
    {
        ++runs;
        ToolbarHazirla(*this);
        pageSettings.leftMargin = 850;
        pageSettings.topMargin = 2835;
        pageSettings.rightMargin = 170;
        pageSettings.bottomMargin = 113;
        BosluklariUygula(*this);
        caption = "EVRAKMATİK EK-1 (ön sayfa)";
        setFieldText("Field1", QString::number(runs));
        tools[21].caption = "&Kapat";
    }
    // The margins in use, in twips: left, top, right, bottom.
    QString twips() const
    {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(pageSettings.leftMargin)
            .arg(pageSettings.topMargin)
            .arg(pageSettings.rightMargin)
            .arg(pageSettings.bottomMargin);
    }
};

// Answers the save dialog from a script; records what was asked and opened.
class ScriptedDesktop final : public platform::DesktopServices {
public:
    QString answer, proposed, filter, title;
    QStringList next; // answered first, one a dialog, before answer
    QStringList opened;
    ScriptedDesktop() { platform::setDesktopServices(this); }
    ~ScriptedDesktop() override { platform::setDesktopServices(nullptr); }
    QString saveFileName(QWidget *, const QString &t, const QString &p, const QString &f) override
    {
        proposed = p;
        filter = f;
        title = t;
        return next.isEmpty() ? answer : next.takeFirst();
    }
    bool opens = true; // a program for Word and Excel files is set
    bool openDocument(const QString &path) override
    {
        opened << path;
        return opens;
    }
};

QString margin(const char *key)
{
    return app::IniOkuYaz("OKU", app::marginFile(), "ar_Trafik", QLatin1String(key));
}

// The stored margins of the report, in millimetres: left, top, right, bottom.
QString stored()
{
    return QStringList { margin("sol"), margin("ust"), margin("sag"), margin("alt") }.join(' ');
}

// The report on a fresh program folder, its defaults stored by a first run.
struct Viewing {
    testing::ScriptedMessages messages;
    testing::ProgramFolder folder;
    MarginReport r;
    Viewing() { r.run(); }
};

} // namespace

class TestViewer : public QObject {
    Q_OBJECT
private slots:

    void toolbarIsCustomisedOnce()
    {
        Viewing v;
        v.r.run();
        const QVector<QStringList> table = testing::readTable("viewer/toolbar.tsv");
        QCOMPARE(v.r.tools.size(), table.size());
        for (const QStringList &t : table) {
            const auto &tool = v.r.tools[t[0].toInt()];
            QCOMPARE(tool.id, t[0].toInt());
            QCOMPARE(tool.visible, t[1] == QLatin1String("1"));
            QCOMPARE(t[2].isEmpty() ? t[2] : tool.caption, t[2]);
            QCOMPARE(t[3].isEmpty() ? t[3] : tool.tooltip, t[3]);
        }
        QCOMPARE(v.r.printQuality, -4);
        QCOMPARE(v.r.zoom, 100);
        QCOMPARE(v.r.toolbarFont + QString::number(v.r.toolbarFontSize), "TAHOMA8");
        // The quality button starts down: dark printing is on.
        QVERIFY(v.r.tools[25].state);
        // No printer here: no box before the preview (the viewer's status line says it).
        MarginReport().run();
        QVERIFY(v.messages.shown().isEmpty());
    }

    // The real desktop service on a computer with no program for Word files
    // (no desktop here): it says so instead of pretending the file opened.
    void theDesktopSaysWhenNoProgramOpensAFile()
    {
        if (!QStandardPaths::findExecutable("xdg-open").isEmpty()
            && QStandardPaths::findExecutable("xdg-mime").isEmpty())
            QSKIP("xdg-open is here and cannot be asked first: it would open the file");
        QTemporaryDir dir;
        const QString path = dir.filePath("belge.doc");
        QVERIFY(testing::writeFile(path, "{\\rtf1 }"));
        platform::DesktopServices real;
        if (!QStandardPaths::findExecutable("xdg-mime").isEmpty()) {
            QProcess query;
            query.start("xdg-mime", { "query", "default", "application/msword" });
            QVERIFY(query.waitForFinished());
            if (!query.readAllStandardOutput().trimmed().isEmpty())
                QSKIP("this desktop has a program for Word files: it would open the file");
        }
        QVERIFY(!real.openDocument(path));
    }

    // The EK-1's back page opens with the quality the clerk chose on the front
    // page's viewer, its button showing it.
    void theBackPagePrintsAsDarkAsTheFront()
    {
        testing::Program p;
        QStringList seen; // each viewer's quality button: caption and whether down
        testing::whenModal([&](QWidget *w) {
            auto *front = qobject_cast<ReportViewer *>(w);
            if (!front)
                return false;
            const auto quality = front->toolbar()->findChild<QAction *>("tool25");
            seen << quality->text() + (quality->isChecked() ? "+" : "-");
            front->clickTool(25);
            testing::whenModal([&](QWidget *w) {
                auto *back = qobject_cast<ReportViewer *>(w);
                if (!back)
                    return false;
                const auto quality = back->toolbar()->findChild<QAction *>("tool25");
                seen << quality->text() + (quality->isChecked() ? "+" : "-")
                        + QString::number(back->report().printQuality);
                back->accept();
                return true;
            });
            front->accept();
            return true;
        });
        showFormViewers(Form::Ek1, p.window->entryScreen(), p.window.get());
        QCOMPARE(seen, (QStringList { "KOYU+", "NORMAL--3" }));
    }

    void qualityTogglesAndStopTurnsIntoClose()
    {
        Viewing v;
        for (const bool koyu : { false, true }) {
            ToolbarTiklandi(v.r, 25, QString(), nullptr);
            QCOMPARE(v.r.tools[25].caption, QLatin1String(koyu ? "KOYU" : "NORMAL"));
            QCOMPARE(v.r.tools[25].tooltip,
                "YAZICI KALİTESİ: " + QLatin1String(koyu ? "Koyu" : "Normal"));
            QCOMPARE(v.r.tools[25].state, koyu);
            QCOMPARE(v.r.printQuality, koyu ? -4 : -3);
        }
        YaziciKalitesiAyarla(v.r, "başka");
        QCOMPARE(v.r.printQuality, -4);
        // Stop turns into close.
        MarginReport r;
        ToolbarHazirla(r);
        QCOMPARE(ToolbarTiklandi(r, 21, QString(), nullptr), ViewerAction::None);
        QCOMPARE(r.tools[21].caption, "&Kapat");
        QCOMPARE(r.tools[21].tooltip, "Active Reports'tan çık");
        QCOMPARE(ToolbarTiklandi(r, 21, QString(), nullptr), ViewerAction::Close);
        QCOMPARE(ToolbarTiklandi(r, 12, QString(), nullptr), ViewerAction::Stock);
    }

    // The export dialog writes neither over the program's own files nor
    // through a link or into a folder: a box says why, the clerk chooses again.
    void anExportNeverGoesOverTheProgramsOwnFiles_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("why");
        QTest::newRow("pdf over a link to the store") << 24 << "/bag.pdf"
                                                      << "bağlantı";
        QTest::newRow("word over the store") << 22 << "/data/tescil.mdb"
                                             << "kendi veri";
        QTest::newRow("excel into the data folder") << 23 << "/data/yeni"
                                                    << "kendi veri";
        QTest::newRow("pdf over a folder") << 24 << "/klasor.pdf"
                                           << "sıradan bir dosya değil";
    }
    void anExportNeverGoesOverTheProgramsOwnFiles()
    {
        QFETCH(int, tool);
        QFETCH(QString, chosen);
        QFETCH(QString, why);
        Viewing v;
        ScriptedDesktop desktop;
        const QString dir = v.folder.path();
        QVERIFY(QDir().mkpath(dir + "/data") && QDir().mkpath(dir + "/klasor.pdf"));
        QVERIFY(testing::writeFile(v.folder.storePath(), "kayıtlar"));
        QVERIFY(QFile::link(v.folder.storePath(), dir + "/bag.pdf"));
        desktop.next = QStringList { dir + chosen, dir + "/baska" };
        QCOMPARE(ToolbarTiklandi(v.r, tool, v.r.caption, nullptr), ViewerAction::Exported);
        QCOMPARE(v.messages.titles(), QStringList { "Dikkat" });
        QVERIFY2(v.messages.shown().first().text.contains(why),
            qPrintable(v.messages.shown().first().text));
        QVERIFY(exportPath().startsWith(dir + "/baska."));
        QCOMPARE(testing::contents(v.folder.storePath()), QByteArray("kayıtlar"));
        QVERIFY(!QFile::exists(dir + "/data/yeni.xlsx"));
    }

    void exportProposesTheTitleInTheDocumentsFolder()
    {
        Viewing v;
        ScriptedDesktop desktop;
        const QString dir = v.folder.path();
        qputenv("XDG_DOCUMENTS_DIR", dir.toUtf8());
        QCOMPARE(exportBaseName(v.r.caption), "EVRAKMATİK_EK_1_(ön_sayfa)");
        QCOMPARE(exportBaseName("a\\b/c-d e"), "a_b_c_d_e");
        auto click = [&](int tool, const QString &answer) {
            desktop.answer = answer.isEmpty() ? answer : dir + answer;
            return ToolbarTiklandi(v.r, tool, v.r.caption, nullptr);
        };
        QVERIFY(!exportOpened());
        // Cancelled: nothing written, nothing said.
        QCOMPARE(click(24, QString()), ViewerAction::None);
        QVERIFY(desktop.proposed.endsWith("/EVRAKMATİK_EK_1_(ön_sayfa)"));
        QCOMPARE(desktop.filter + desktop.title, "Pdf (*.pdf)Rapor Kayıt");
        // A name without an extension gets the filter's: three exports of one
        // form under one name stay three files.
        QCOMPARE(click(24, "/çıktı"), ViewerAction::Exported);
        QCOMPARE(exportPath(), dir + "/çıktı.pdf");
        QVERIFY(QFile::exists(exportPath()));
        QVERIFY(desktop.opened.isEmpty());
        click(23, "/çıktı");
        QCOMPARE(desktop.filter, "Excel (*.xlsx)");
        QCOMPARE(exportPath(), dir + "/çıktı.xlsx");
        // Written as any file the user saves, not private to the program.
        QCOMPARE(
            QFileInfo(exportPath()).permissions(), QFileInfo(dir + "/çıktı.pdf").permissions());
        desktop.opened.clear();
        // The next dialog opens where the clerk saved last.
        QDir(dir).mkdir("alt");
        click(24, "/alt/son.pdf");
        click(24, "/alt/son.pdf");
        QVERIFY(desktop.proposed.startsWith(dir + "/alt/"));
        click(22, "/belge.docx");
        QCOMPARE(desktop.filter, "Word (*.docx)");
        QCOMPARE(desktop.opened, QStringList { dir + "/belge.docx" });
        QVERIFY(exportOpened());
        click(23, "/tablo.xls");
        QCOMPARE(desktop.opened.size(), 2);
        QCOMPARE(exportPath(), dir + "/tablo.xls");
        QCOMPARE(exportTitle(), "tablo.xls");
        // A folder that does not exist: said, not taken for a finished export,
        // with only OK: the clerk goes on in the viewer, whatever the answer.
        v.messages.reset();
        click(23, "/yok/tablo.xls");
        QCOMPARE(v.messages.shown().size(), 1);
        const platform::MessageRequest box = v.messages.shown().first();
        QCOMPARE(box.buttons, platform::MsgButtons::Ok);
        QCOMPARE(box.icon, platform::MsgIcon::Warning);
        QVERIFY2(
            box.text.contains(desktop.answer) && box.text.contains("Klasör"), qPrintable(box.text));
        QCOMPARE(v.messages.exits(), 0);
        QCOMPARE(desktop.opened.size(), 2);
    }

    // The form's own margins are stored as the nearest whole millimetres on first use;
    // the dialog shows them, tries others and keeps or restores them.
    void marginsAreStoredOnFirstUseAndSetInTheDialog()
    {
        Viewing v;
        MarginReport &r = v.r;
        QCOMPARE(stored(), "15 50 3 2");
        QCOMPARE(r.twips(), "850 2835 170 113"); // the first run keeps its own
        // Other reports keep their own sections.
        app::IniOkuYaz("YAZ", app::marginFile(), "ar_Ek9", "sol", 7);
        r.run();
        QCOMPARE(r.twips(), "850 2835 170 113"); // as the first run put it
        QCOMPARE(stored(), "15 50 3 2");
        int restarts = 0;
        MarginDialog dialog(r, [&] {
            ++restarts;
            r.run();
        });
        QCOMPARE(dialog.windowTitle(), "Sayfa Boşluk Ayarı");
        QStringList shown;
        for (int i = 0; i < 4; ++i)
            shown << dialog.box(i)->text();
        QCOMPARE(shown.join(' '), "15 3 50 2"); // left, right, top, bottom
        QCOMPARE(dialog.box(0)->maxLength(), 3);
        dialog.box(0)->setText("20");
        dialog.box(2)->setText("10");
        QVERIFY(dialog.goster());
        QCOMPARE(stored(), "20 10 3 2");
        QCOMPARE(r.pageSettings.leftMargin, MmToTwip(20));
        QCOMPARE(currentMargins().sol, 20);
        dialog.box(0)->setText("30");
        QVERIFY(dialog.goster());
        dialog.btnIptal()->click();
        QCOMPARE(stored(), "15 50 3 2");
        QCOMPARE(r.pageSettings.leftMargin, MmToTwip(15));
        QCOMPARE(restarts, 3);
        // Zero left and top bring back the form's defaults.
        dialog.box(0)->setText("0");
        dialog.box(2)->setText("0");
        dialog.btnKatdet()->click();
        QCOMPARE(r.pageSettings.leftMargin, 850);
        QCOMPARE(margin("sol"), "15");
    }

    // Typed in the dialog, and in the file as another editor left it.
    void marginsAreWholeMillimetres_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("millimetres"); // -1: refused, the earlier margin kept
        QTest::newRow("point") << "20.5" << 20;
        QTest::newRow("comma") << "20,5" << 20;
        QTest::newRow("whole") << "14" << 14;
        QTest::newRow("fraction only") << ".9" << 0;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("garbled") << "1,," << -1;
    }
    void marginsAreWholeMillimetres()
    {
        QFETCH(QString, text);
        QFETCH(int, millimetres);
        Viewing v;
        MarginReport &r = v.r;
        if (millimetres >= 0) {
            app::IniOkuYaz("YAZ", app::marginFile(), r.name, "sag", text);
            r.run();
            QCOMPARE(currentMargins().sag, millimetres);
            QCOMPARE(r.pageSettings.rightMargin, MmToTwip(millimetres));
        }
        MarginDialog dialog(r, [&] { r.run(); });
        dialog.box(1)->setText(text);
        QCOMPARE(dialog.goster(), millimetres >= 0);
        if (millimetres < 0)
            QCOMPARE(v.messages.titles().last(), "Dikkat");
        QCOMPARE(margin("sag"), QString::number(millimetres < 0 ? 3 : millimetres));
        QCOMPARE(r.pageSettings.rightMargin, MmToTwip(millimetres < 0 ? 3 : millimetres));
    }

    // Margins that leave no field on the paper would print a blank sheet:
    // refused in the dialog, and from the file told and replaced by the form's own.
    void marginsThatLeaveNoFieldOnThePaperAreRefused_data()
    {
        QTest::addColumn<int>("box"); // 0 left, 2 top
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("told"); // empty: taken
        QTest::newRow("left past the sheet") << 0 << "250"
                                             << "Sol boşluk (250 mm) çok büyük";
        QTest::newRow("left far below zero") << 0 << "-90"
                                             << "Sol boşluk (-90 mm) çok küçük";
        QTest::newRow("top past the sheet") << 2 << "400"
                                            << "Üst boşluk (400 mm) çok büyük";
        QTest::newRow("top far below zero") << 2 << "-99"
                                            << "Üst boşluk (-99 mm) çok küçük";
        QTest::newRow("the field's edge still on the paper") << 0 << "205"
                                                             << "";
    }
    void marginsThatLeaveNoFieldOnThePaperAreRefused()
    {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(QString, told);
        Viewing v;
        MarginReport &r = v.r;
        MarginDialog dialog(r, [&] { r.run(); });
        dialog.box(box)->setText(text);
        QCOMPARE(dialog.goster(), told.isEmpty());
        QCOMPARE(stored(), told.isEmpty() ? stored() : QStringLiteral("15 50 3 2"));
        if (told.isEmpty())
            return;
        QVERIFY2(v.messages.shown().last().text.contains(told),
            qPrintable(v.messages.shown().last().text));
        // The same margin in the file: told at the run, the form's own used.
        app::IniOkuYaz("YAZ", app::marginFile(), r.name, box == 0 ? "sol" : "ust", text);
        v.messages.reset();
        r.run();
        QCOMPARE(v.messages.titles(), QStringList { "Dikkat" });
        QVERIFY(v.messages.shown().first().text.contains(told));
        QCOMPARE(r.twips(), "850 2835 170 113");
    }

    void marginBoxesTakeDigitsOnly()
    {
        Viewing v;
        MarginDialog dialog(v.r, [&] { v.r.run(); });
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.box(0)->setFocus();
        QCOMPARE(dialog.box(0)->selectedText(), "15");
        QTest::keyClicks(dialog.box(0), "a-2x5");
        QCOMPARE(dialog.box(0)->text(), "25");
        QTest::keyClick(dialog.box(0), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), dialog.box(1));
    }

    void viewerRunsTheReportAndKeepsItsToolbarOnRestart()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        MarginReport r;
        platform::ReportField wide = r.fields[0];
        wide.name = "Field2";
        wide.text = QString(40, QLatin1Char('W'));
        wide.label = "Ticari Adı";
        r.fields << wide;
        ReportViewer viewer(r);
        QCOMPARE(viewer.windowTitle(), "EVRAKMATİK EK-1 (ön sayfa)");
        // Before paper is spent, the clerk reads which box did not hold its text.
        QVERIFY(!viewer.fitLine()->isHidden());
        QVERIFY(viewer.fitLine()->text().contains("Ticari Adı: "));
        // No printer here: the status line says so, no box does.
        QCOMPARE(viewer.statusLine()->text(), "Bilgisayarınızda tanımlı bir YAZICI bulunamadı.");
        QVERIFY(messages.shown().isEmpty());
        // An export says where it went; a Word or Excel file no program
        // opens says so too, so the clerk knows where to find it.
        {
            ScriptedDesktop desktop;
            desktop.answer = folder.path() + "/durum";
            viewer.clickTool(24);
            QCOMPARE(viewer.statusLine()->text(), "Kaydedildi: " + folder.path() + "/durum.pdf");
            viewer.clickTool(22);
            QCOMPARE(viewer.statusLine()->text(), "Kaydedildi: " + folder.path() + "/durum.docx");
            desktop.opens = false;
            viewer.clickTool(23);
            QCOMPARE(viewer.statusLine()->text(),
                "Açacak bir program bulunamadı; dosya şuraya yazıldı: " + folder.path()
                    + "/durum.xlsx");
        }
        QCOMPARE(r.runs, 1);
        const int actions = viewer.toolbar()->actions().size();
        bool opened = false;
        viewer.openMarginDialog = [&](ReportViewer &v) {
            opened = true;
            v.restart();
        };
        viewer.clickTool(26);
        QVERIFY(opened);
        QCOMPARE(r.runs, 2);
        QCOMPARE(r.tools.size(), 27);
        QCOMPARE(viewer.toolbar()->actions().size(), actions);
        QVERIFY(messages.shown().isEmpty());
        viewer.clickTool(25);
        const auto quality = viewer.toolbar()->findChild<QAction *>("tool25");
        QVERIFY(quality && quality->text() == "NORMAL" && !quality->isChecked());
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
