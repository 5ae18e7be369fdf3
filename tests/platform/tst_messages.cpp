// The real message boxes, pressed as a clerk presses them. The rest of the
// suite answers boxes through a script; this is where the dialog itself and
// the real process exit are checked.
#include "app/errorbox.h"
#include "platform/messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using platform::MsgAnswer;
using platform::MsgButtons;

Q_DECLARE_METATYPE(platform::MsgAnswer)
Q_DECLARE_METATYPE(platform::MsgButtons)

namespace {

// Real dialogs; an exit is counted instead of performed.
class DialogsRecordingExit final : public platform::DialogMessageService {
public:
    int exits = 0;
    void endProcess(int) override { ++exits; }
};

enum class Press { Ok, Cancel, Yes, No, Escape, CloseButton, Enter };

QMessageBox::StandardButton standardFor(Press p)
{
    switch (p) {
    case Press::Ok:
        return QMessageBox::Ok;
    case Press::Cancel:
        return QMessageBox::Cancel;
    case Press::Yes:
        return QMessageBox::Yes;
    case Press::No:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

// Presses `press` on the next box that appears, as the user would. Records
// what the box offered so the test can check its buttons too.
struct BoxPresser {
    Press press;
    QString title;
    QMessageBox::StandardButtons offered;
    bool found = false;

    void arm()
    {
        QTimer::singleShot(20, [this] { tryPress(); });
    }
    void tryPress()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            arm();
            return;
        }
        found = true;
        title = box->windowTitle();
        offered = box->standardButtons();
        switch (press) {
        case Press::Escape:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case Press::Enter:
            QTest::keyClick(box, Qt::Key_Return);
            break;
        case Press::CloseButton:
            box->close();
            break;
        default:
            if (QAbstractButton *b = box->button(standardFor(press)))
                QTest::mouseClick(b, Qt::LeftButton);
            else
                box->done(-1); // not offered: leave, the test then fails on the answer
        }
    }
};

} // namespace

class TestMessages : public QObject {
    Q_OBJECT
private slots:
    void realBoxAnswers_data();
    void realBoxAnswers();
    void realErrorBoxContinuesOnOk_data();
    void realErrorBoxContinuesOnOk();
    void realExitEndsAtOnce();
};

void TestMessages::realBoxAnswers_data()
{
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<MsgAnswer>("defaultAnswer");
    QTest::addColumn<int>("press");
    QTest::addColumn<MsgAnswer>("expected");
    QTest::addColumn<int>("offered");

    const int ok = QMessageBox::Ok, okCancel = QMessageBox::Ok | QMessageBox::Cancel,
              yesNo = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("ok: OK") << MsgButtons::Ok << MsgAnswer::Ok << int(Press::Ok) << MsgAnswer::Ok
                            << ok;
    QTest::newRow("ok: Esc") << MsgButtons::Ok << MsgAnswer::Ok << int(Press::Escape)
                             << MsgAnswer::Ok << ok;
    QTest::newRow("ok: close button")
        << MsgButtons::Ok << MsgAnswer::Ok << int(Press::CloseButton) << MsgAnswer::Ok << ok;
    QTest::newRow("ok/cancel: OK")
        << MsgButtons::OkCancel << MsgAnswer::Ok << int(Press::Ok) << MsgAnswer::Ok << okCancel;
    QTest::newRow("ok/cancel: Cancel") << MsgButtons::OkCancel << MsgAnswer::Ok
                                       << int(Press::Cancel) << MsgAnswer::Cancel << okCancel;
    QTest::newRow("ok/cancel: Enter takes OK")
        << MsgButtons::OkCancel << MsgAnswer::Ok << int(Press::Enter) << MsgAnswer::Ok << okCancel;
    // Dismissing the error box never ends the program: that takes Cancel.
    QTest::newRow("ok/cancel: Esc")
        << MsgButtons::OkCancel << MsgAnswer::Ok << int(Press::Escape) << MsgAnswer::Ok << okCancel;
    QTest::newRow("ok/cancel: close button")
        << MsgButtons::OkCancel << MsgAnswer::Ok << int(Press::CloseButton) << MsgAnswer::Ok
        << okCancel;
    QTest::newRow("yes/no: Yes") << MsgButtons::YesNo << MsgAnswer::No << int(Press::Yes)
                                 << MsgAnswer::Yes << yesNo;
    QTest::newRow("yes/no: No") << MsgButtons::YesNo << MsgAnswer::No << int(Press::No)
                                << MsgAnswer::No << yesNo;
    QTest::newRow("yes/no: Enter takes the default No")
        << MsgButtons::YesNo << MsgAnswer::No << int(Press::Enter) << MsgAnswer::No << yesNo;
    QTest::newRow("yes/no: Esc") << MsgButtons::YesNo << MsgAnswer::No << int(Press::Escape)
                                 << MsgAnswer::No << yesNo;
    QTest::newRow("yes/no: close button")
        << MsgButtons::YesNo << MsgAnswer::No << int(Press::CloseButton) << MsgAnswer::No << yesNo;
}

void TestMessages::realBoxAnswers()
{
    QFETCH(MsgButtons, buttons);
    QFETCH(MsgAnswer, defaultAnswer);
    QFETCH(int, press);
    QFETCH(MsgAnswer, expected);
    QFETCH(int, offered);

    platform::DialogMessageService dialogs;
    BoxPresser presser { Press(press), {}, {} };
    presser.arm();
    const MsgAnswer answer = dialogs.show({ platform::MsgIcon::Question, buttons, defaultAnswer,
        QStringLiteral("Başlık"), QStringLiteral("Metin") });
    QVERIFY(presser.found);
    QCOMPARE(presser.title, QStringLiteral("Başlık"));
    QCOMPARE(int(presser.offered), offered);
    QCOMPARE(answer, expected);
}

void TestMessages::realErrorBoxContinuesOnOk_data()
{
    QTest::addColumn<int>("press");
    QTest::addColumn<bool>("canContinue");
    QTest::addColumn<int>("exits");
    QTest::newRow("OK, continue") << int(Press::Ok) << true << 0;
    QTest::newRow("close button, continue") << int(Press::CloseButton) << true << 0;
    QTest::newRow("Cancel, continue") << int(Press::Cancel) << true << 1;
    QTest::newRow("OK, no continue") << int(Press::Ok) << false << 1;
}

void TestMessages::realErrorBoxContinuesOnOk()
{
    QFETCH(int, press);
    QFETCH(bool, canContinue);
    QFETCH(int, exits);

    DialogsRecordingExit dialogs;
    platform::setMessageService(&dialogs);
    BoxPresser presser { Press(press), {}, {} };
    presser.arm();
    const bool goesOn =
        app::HataGoster(3021, QStringLiteral("Kayıt yok."), QStringLiteral("Kaydet"), canContinue);
    platform::setMessageService(nullptr);
    QVERIFY(presser.found);
    QCOMPARE(presser.title, QStringLiteral("GENEL HATA"));
    QCOMPARE(dialogs.exits, exits);
    QCOMPARE(goesOn, exits == 0);
}

void TestMessages::realExitEndsAtOnce()
{
    // The child ends through the real service: the code arrives, and nothing
    // queued for a normal exit runs.
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("EVRAKMATIK_EXIT_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start();
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 7);
    const QByteArray out = child.readAllStandardOutput();
    QVERIFY2(out.contains("before"), out.constData());
    QVERIFY2(!out.contains("atexit"), out.constData());
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("EVRAKMATIK_EXIT_CHILD")) {
        std::atexit([] { std::puts("atexit"); });
        std::fputs("before\n", stdout); // buffered: the exit must flush it
        platform::endProcess(7);
        return 0;
    }
    QApplication app(argc, argv);
    TestMessages t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_messages.moc"
