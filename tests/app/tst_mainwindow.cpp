#include "app/appstate.h"
#include "app/basics.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "records/entryscreen.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startUpMakesFoldersTemplatesAndShortcut()
    {
        QTemporaryDir dir;
        qputenv("XDG_DESKTOP_DIR", dir.filePath(QStringLiteral("Masaüstü")).toUtf8());
        const QString program = dir.filePath(QStringLiteral("program"));
        const QString margins = dir.filePath(QStringLiteral("bosluk"));
        // Under umask 000 nobody else may change the launcher's command or
        // plant a file in the margins folder.
        const mode_t umask = ::umask(0);
        app::runStartupSequence(app::resolveStartOptions(program, margins));
        ::umask(umask);
        QVERIFY(QFileInfo(margins).isDir());
        QCOMPARE(QFileInfo(margins).permissions() & 0x0077, QFileDevice::Permissions());
        QVERIFY(QFileInfo(program + QStringLiteral("/Fotolar")).isDir());
        QCOMPARE(app::ProgramFolder(), program);
        QCOMPARE(app::PhotoFolder(), program + QStringLiteral("/Fotolar"));
        const QString shortcut = app::folders().desktop + QStringLiteral("/evrakmatik.desktop");
        QVERIFY(testing::contents(shortcut).contains("Exec="));
        QCOMPARE(QFileInfo(shortcut).permissions() & 0x0022, QFileDevice::Permissions());
        QVERIFY(QFileInfo(shortcut).permissions() & QFileDevice::ExeOwner);
        // A second start finds everything in place and creates nothing.
        const QDateTime written = QFileInfo(shortcut).lastModified();
        app::runStartupSequence(app::resolveStartOptions(program, margins));
        QCOMPARE(QFileInfo(shortcut).lastModified(), written);
        app::folders() = app::Folders();
    }

    void windowOpensReadyForTyping()
    {
        testing::Program p;
        QCOMPARE(p.window->size(), QSize(1008, 682));
        QCOMPARE(p.window->LblVersiyon()->text(), app::VersionText());
        const records::EntryScreen &s = p.window->entryScreen();
        QCOMPARE(s.sTabber()->currentIndex(), 0);
        QCOMPARE(s.cmbX(2)->currentText(), QStringLiteral("YOK"));
        QVERIFY(!s.cmbX(1)->isEnabled());
        QVERIFY(s.cmbX(0)->count() >= 40);
        QVERIFY(QFile::exists(p.folder.storePath()));
        QVERIFY(p.messages.shown().isEmpty());
        for (const char *hidden : { "cmdVersiyonNew", "cmd_oldversion", "cmdList" })
            QVERIFY(!p.window->button(QLatin1String(hidden))->isVisibleTo(p.window.get()));
    }

    void theQuitQuestion_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("yes");
        QTest::newRow("No on the quit button leaves the program running") << false << false;
        QTest::newRow("No on the close box leaves the program running") << true << false;
        QTest::newRow("Yes on the quit button compacts and ends") << false << true;
    }
    void theQuitQuestion()
    {
        QFETCH(bool, closeBox);
        QFETCH(bool, yes);
        testing::Program p;
        p.window->show();
        p.window->entryScreen().txt(16)->setText(QStringLiteral("MOTOR-1"));
        p.messages.answerNext(yes ? platform::MsgAnswer::Yes : platform::MsgAnswer::No);
        if (closeBox)
            p.window->close();
        else
            p.window->button(QStringLiteral("XPButton1"))->click();
        const auto &box = p.messages.shown().last();
        QCOMPARE(box.title, QStringLiteral("Dikkat"));
        // The engine number typed and not saved is named in the question.
        QCOMPARE(box.text,
            QStringLiteral("Ekranda kaydedilmemiş bilgiler var; çıkarsanız kaybolacak.\n\n"
                           "Programdan kaydetmeden çıkmak istiyor musunuz?"));
        QCOMPARE(box.defaultAnswer, platform::MsgAnswer::No);
        QCOMPARE(p.messages.exits(), int(yes));
        QCOMPARE(QFile::exists(p.folder.storePath() + QLatin1Char('x')), yes);
        QVERIFY(QFile::exists(p.folder.storePath()));
        if (!yes) {
            QVERIFY(p.window->isVisible());
            QCOMPARE(p.window->entryScreen().txt(16)->text(), QStringLiteral("MOTOR-1"));
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
