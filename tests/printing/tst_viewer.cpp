#include "app/appstate.h"
#include "app/inisettings.h"
#include "platform/desktopservices.h"
#include "platform/report.h"
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
#include <QPushButton>
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
        name = QStringLiteral("ar_Trafik");
        tools = stockTools();
        platform::ReportField f;
        f.name = QStringLiteral("Field1");
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
        caption = QStringLiteral("EVRAKMATİK EK-1 (ön sayfa)");
        setFieldText(QStringLiteral("Field1"), QString::number(runs));
        tools[21].caption = QStringLiteral("&Kapat");
    }
};

class ScriptedDesktop final : public platform::DesktopServices {
public:
    QString answer;
    QString proposed;
    QString filter;
    QStringList opened;
    QString saveFileName(
        QWidget *, const QString &title, const QString &p, const QString &f) override
    {
        proposed = p;
        filter = f;
        titles << title;
        return answer;
    }
    void openDocument(const QString &path) override { opened << path; }
    QStringList titles;
};

QString margin(const char *key)
{
    return app::IniOkuYaz(
        QStringLiteral("OKU"), app::marginFile(), QStringLiteral("ar_Trafik"), QLatin1String(key));
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
        MarginReport &r = v.r;
        r.run();
        const QVector<QStringList> table = testing::readTable(QStringLiteral("viewer/toolbar.tsv"));
        QCOMPARE(r.tools.size(), table.size());
        for (const QStringList &t : table) {
            const auto &tool = r.tools[t[0].toInt()];
            QCOMPARE(tool.id, t[0].toInt());
            QCOMPARE(tool.visible, t[1] == QLatin1String("1"));
            if (!t[2].isEmpty())
                QCOMPARE(tool.caption, t[2]);
            if (!t[3].isEmpty())
                QCOMPARE(tool.tooltip, t[3]);
        }
        QCOMPARE(r.printQuality, -4);
        QCOMPARE(r.zoom, 100);
        QCOMPARE(r.toolbarFont, QStringLiteral("TAHOMA"));
        QCOMPARE(r.toolbarFontSize, 8);
        // No printer here: said once a run, not by every viewer after it.
        MarginReport next;
        next.run();
        QCOMPARE(v.messages.titles(), QStringList { QStringLiteral("DİKKAT !") });
        QCOMPARE(v.messages.shown().first().text,
            QStringLiteral("Bilgisayarınızda tanımlı bir YAZICI bulunamadı."));
    }

    void qualityToggleTwiceReturnsToKoyu()
    {
        Viewing v;
        MarginReport &r = v.r;
        for (const bool koyu : { false, true }) {
            ToolbarTiklandi(r, 25, QString(), nullptr);
            QCOMPARE(r.tools[25].caption, QLatin1String(koyu ? "KOYU" : "NORMAL"));
            QCOMPARE(r.tools[25].tooltip,
                QStringLiteral("YAZICI KALİTESİ: ") + QLatin1String(koyu ? "Koyu" : "Normal"));
            QCOMPARE(r.tools[25].state, koyu);
            QCOMPARE(r.printQuality, koyu ? -4 : -3);
        }
        YaziciKalitesiAyarla(r, QStringLiteral("başka"));
        QCOMPARE(r.printQuality, -4);
    }

    void stopTurnsIntoClose()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        MarginReport r;
        ToolbarHazirla(r);
        QCOMPARE(ToolbarTiklandi(r, 21, QString(), nullptr), ViewerAction::None);
        QCOMPARE(r.tools[21].caption, QStringLiteral("&Kapat"));
        QCOMPARE(r.tools[21].tooltip, QStringLiteral("Active Reports'tan çık"));
        QCOMPARE(ToolbarTiklandi(r, 21, QString(), nullptr), ViewerAction::Close);
        QCOMPARE(ToolbarTiklandi(r, 26, QString(), nullptr), ViewerAction::OpenMarginDialog);
        QCOMPARE(ToolbarTiklandi(r, 12, QString(), nullptr), ViewerAction::Stock);
    }

    void exportProposesTheTitleInTheDocumentsFolder()
    {
        Viewing v;
        MarginReport &r = v.r;
        ScriptedDesktop desktop;
        platform::setDesktopServices(&desktop);
        qputenv("XDG_DOCUMENTS_DIR", v.folder.path().toUtf8());
        QCOMPARE(exportBaseName(QStringLiteral("EVRAKMATİK EK-1 (ön sayfa)")),
            QStringLiteral("EVRAKMATİK_EK_1_(ön_sayfa)"));
        QCOMPARE(exportBaseName(QStringLiteral("a\\b/c-d e")), QStringLiteral("a_b_c_d_e"));
        // Cancelled: nothing written, nothing said.
        desktop.answer.clear();
        ToolbarTiklandi(r, 24, r.caption, nullptr);
        QVERIFY(desktop.proposed.endsWith(QStringLiteral("/EVRAKMATİK_EK_1_(ön_sayfa)")));
        QCOMPARE(desktop.filter, QStringLiteral("Pdf (*.pdf)"));
        QCOMPARE(desktop.titles.last(), QStringLiteral("Rapor Kayıt"));
        // A name without an extension gets the filter's: three exports of one
        // form under one name stay three files.
        desktop.answer = v.folder.path() + QStringLiteral("/çıktı");
        QCOMPARE(ToolbarTiklandi(r, 24, r.caption, nullptr), ViewerAction::Exported);
        QCOMPARE(exportPath(), desktop.answer + QStringLiteral(".pdf"));
        QVERIFY(QFile::exists(exportPath()));
        QVERIFY(desktop.opened.isEmpty());
        ToolbarTiklandi(r, 23, r.caption, nullptr);
        QCOMPARE(desktop.filter, QStringLiteral("Excel (*.xlsx)"));
        QCOMPARE(exportPath(), desktop.answer + QStringLiteral(".xlsx"));
        // Written as any file the user saves, not private to the program.
        QCOMPARE(QFileInfo(exportPath()).permissions(),
            QFileInfo(desktop.answer + QStringLiteral(".pdf")).permissions());
        desktop.opened.clear();
        // The next dialog opens where the clerk saved last.
        QDir(v.folder.path()).mkdir(QStringLiteral("alt"));
        desktop.answer = v.folder.path() + QStringLiteral("/alt/son.pdf");
        ToolbarTiklandi(r, 24, r.caption, nullptr);
        ToolbarTiklandi(r, 24, r.caption, nullptr);
        QVERIFY(desktop.proposed.startsWith(v.folder.path() + QStringLiteral("/alt/")));
        desktop.answer = v.folder.path() + QStringLiteral("/belge.doc");
        ToolbarTiklandi(r, 22, r.caption, nullptr);
        QCOMPARE(desktop.filter, QStringLiteral("Word (*.doc)"));
        QCOMPARE(desktop.opened, QStringList { desktop.answer });
        desktop.answer = v.folder.path() + QStringLiteral("/tablo.xls");
        ToolbarTiklandi(r, 23, r.caption, nullptr);
        QCOMPARE(desktop.opened.size(), 2);
        QCOMPARE(exportPath(), desktop.answer);
        QCOMPARE(exportTitle(), QStringLiteral("tablo.xls"));
        // A folder that does not exist: said, not taken for a finished export.
        desktop.answer = v.folder.path() + QStringLiteral("/yok/tablo.xls");
        v.messages.reset();
        ToolbarTiklandi(r, 23, r.caption, nullptr);
        QCOMPARE(v.messages.shown().size(), 1);
        // Only OK: the clerk goes on in the viewer, whatever the answer.
        const platform::MessageRequest box = v.messages.shown().first();
        QCOMPARE(box.buttons, platform::MsgButtons::Ok);
        QCOMPARE(box.icon, platform::MsgIcon::Warning);
        QVERIFY2(box.text.contains(desktop.answer) && box.text.contains(QStringLiteral("Klasör")),
            qPrintable(box.text));
        QCOMPARE(v.messages.exits(), 0);
        QCOMPARE(desktop.opened.size(), 2);
        platform::setDesktopServices(nullptr);
    }

    void defaultsAreStoredTruncatedOnFirstUse()
    {
        Viewing v;
        MarginReport &r = v.r;
        QCOMPARE(margin("sol"), QStringLiteral("14"));
        QCOMPARE(margin("ust"), QStringLiteral("50"));
        QCOMPARE(margin("sag"), QStringLiteral("2"));
        QCOMPARE(margin("alt"), QStringLiteral("1"));
        QCOMPARE(r.pageSettings.leftMargin, 850); // the first run keeps its own
        r.run();
        QCOMPARE(r.pageSettings.leftMargin, 793);
        QCOMPARE(r.pageSettings.topMargin, 2835);
        QCOMPARE(r.pageSettings.rightMargin, 113);
        QCOMPARE(r.pageSettings.bottomMargin, 56);
        // Other reports keep their own sections.
        app::IniOkuYaz(QStringLiteral("YAZ"), app::marginFile(), QStringLiteral("ar_Ek9"),
            QStringLiteral("sol"), 7);
        r.run();
        QCOMPARE(margin("sol"), QStringLiteral("14"));
    }

    void marginDialogShowsKeepsAndRestores()
    {
        Viewing v;
        MarginReport &r = v.r;
        r.run();
        int restarts = 0;
        MarginDialog dialog(r, [&] {
            ++restarts;
            r.run();
        });
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sayfa Boşluk Ayarı"));
        QCOMPARE(dialog.box(0)->text(), QStringLiteral("14"));
        QCOMPARE(dialog.box(1)->text(), QStringLiteral("2"));
        QCOMPARE(dialog.box(2)->text(), QStringLiteral("50"));
        QCOMPARE(dialog.box(3)->text(), QStringLiteral("1"));
        QCOMPARE(dialog.box(0)->maxLength(), 3);
        dialog.box(0)->setText(QStringLiteral("20"));
        dialog.box(2)->setText(QStringLiteral("10"));
        QVERIFY(dialog.goster());
        QCOMPARE(margin("sol"), QStringLiteral("20"));
        QCOMPARE(margin("ust"), QStringLiteral("10"));
        QCOMPARE(r.pageSettings.leftMargin, MmToTwip(20));
        QCOMPARE(currentMargins().sol, 20);
        dialog.box(0)->setText(QStringLiteral("30"));
        QVERIFY(dialog.goster());
        dialog.btnIptal()->click();
        QCOMPARE(margin("sol"), QStringLiteral("14"));
        QCOMPARE(margin("ust"), QStringLiteral("50"));
        QCOMPARE(r.pageSettings.leftMargin, MmToTwip(14));
        QCOMPARE(restarts, 3);
        // Zero left and top bring back the form's defaults.
        dialog.box(0)->setText(QStringLiteral("0"));
        dialog.box(2)->setText(QStringLiteral("0"));
        dialog.btnKatdet()->click();
        QCOMPARE(r.pageSettings.leftMargin, 850);
        QCOMPARE(margin("sol"), QStringLiteral("14"));
    }

    // Typed in the dialog, and in the file as another editor left it.
    void marginsAreWholeMillimetres_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("millimetres"); // -1: refused, the earlier margin kept
        QTest::newRow("point") << "20.5" << 20;
        QTest::newRow("comma") << "20,5" << 20;
        QTest::newRow("point, typed") << "7.5" << 7;
        QTest::newRow("comma, typed") << "7,9" << 7;
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
            app::IniOkuYaz(
                QStringLiteral("YAZ"), app::marginFile(), r.name, QStringLiteral("sag"), text);
            r.run();
            QCOMPARE(currentMargins().sag, millimetres);
            QCOMPARE(r.pageSettings.rightMargin, MmToTwip(millimetres));
        }
        MarginDialog dialog(r, [&] { r.run(); });
        dialog.box(1)->setText(text);
        QCOMPARE(dialog.goster(), millimetres >= 0);
        if (millimetres < 0) {
            QCOMPARE(v.messages.titles().last(), QStringLiteral("Dikkat"));
            QCOMPARE(margin("sag"), QStringLiteral("2"));
            return;
        }
        QCOMPARE(margin("sag"), QString::number(millimetres));
        QCOMPARE(r.pageSettings.rightMargin, MmToTwip(millimetres));
    }

    void marginBoxesTakeDigitsOnly()
    {
        Viewing v;
        MarginReport &r = v.r;
        MarginDialog dialog(r, [&] { r.run(); });
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.box(0)->setFocus();
        QCOMPARE(dialog.box(0)->selectedText(), QStringLiteral("14"));
        QTest::keyClicks(dialog.box(0), QStringLiteral("a-2x5"));
        QCOMPARE(dialog.box(0)->text(), QStringLiteral("25"));
        QTest::keyClick(dialog.box(0), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), dialog.box(1));
    }

    void viewerRunsTheReportAndKeepsItsToolbarOnRestart()
    {
        testing::ScriptedMessages messages;
        testing::ProgramFolder folder;
        MarginReport r;
        platform::ReportField wide = r.fields[0];
        wide.name = QStringLiteral("Field2");
        wide.text = QString(40, QLatin1Char('W'));
        wide.label = QStringLiteral("Ticari Adı");
        r.fields << wide;
        ReportViewer viewer(r);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("EVRAKMATİK EK-1 (ön sayfa)"));
        // Before paper is spent, the clerk reads which box did not hold its text.
        QVERIFY(!viewer.fitLine()->isHidden());
        QVERIFY(viewer.fitLine()->text().contains(QStringLiteral("Ticari Adı: ")));
        // An export says where it went.
        ScriptedDesktop desktop;
        platform::setDesktopServices(&desktop);
        desktop.answer = folder.path() + QStringLiteral("/durum");
        viewer.clickTool(24);
        platform::setDesktopServices(nullptr);
        QVERIFY(viewer.statusLine()->text().endsWith(folder.path() + QStringLiteral("/durum.pdf")));
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
        // The missing printer was said earlier in this run: not again.
        QCOMPARE(messages.titles().count(QStringLiteral("DİKKAT !")), 0);
        viewer.clickTool(25);
        const auto quality = viewer.toolbar()->findChild<QAction *>(QStringLiteral("tool25"));
        QVERIFY(quality && quality->text() == QStringLiteral("NORMAL") && !quality->isChecked());
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
