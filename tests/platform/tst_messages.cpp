// The real message boxes, pressed as a clerk presses them. The rest of the
// suite answers boxes through a script; this is where the dialog itself and
// the real process exit are checked.
#include "app/errorbox.h"
#include "platform/messages.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using platform::MsgAnswer;
using platform::MsgButtons;

namespace {

// Real dialogs; an exit is counted instead of performed.
class DialogsRecordingExit final : public platform::DialogMessageService {
public:
    int exits = 0;
    void endProcess(int) override { ++exits; }
};

// The ways a clerk answers a box; the first four are the buttons, in the
// order of MsgAnswer.
const QStringList presses { "Ok", "Cancel", "Yes", "No", "Escape", "CloseButton", "Enter" };
const QMessageBox::StandardButton buttonFor[] { QMessageBox::Ok, QMessageBox::Cancel,
    QMessageBox::Yes, QMessageBox::No };

// Presses `press` on the next box that appears, as the user would. Records
// what the box offered so the test can check its buttons too.
struct BoxPresser {
    int press;
    QString title;
    QMessageBox::StandardButtons offered;
    bool found = false;

    explicit BoxPresser(const QString &name)
        : press(int(presses.indexOf(name)))
    {
        arm();
    }
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
        if (presses[press] == QLatin1String("Escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else if (presses[press] == QLatin1String("Enter"))
            QTest::keyClick(box, Qt::Key_Return);
        else if (presses[press] == QLatin1String("CloseButton"))
            box->close();
        else if (QAbstractButton *b = box->button(buttonFor[press]))
            QTest::mouseClick(b, Qt::LeftButton);
        else
            box->done(-1); // not offered: leave, the test then fails on the answer
    }
};

} // namespace

class TestMessages : public QObject {
    Q_OBJECT
private slots:
    void realBoxAnswers_data() { testing::addRows(QStringLiteral("messageboxes")); }
    void realBoxAnswers();
    void realErrorBoxContinuesOnOk_data() { testing::addRows(QStringLiteral("errorboxes")); }
    void realErrorBoxContinuesOnOk();
    void realExitEndsAtOnce();
    void typingGoesOnWhereItWasAfterABox();
};

void TestMessages::realBoxAnswers()
{
    QFETCH(QString, buttons);
    QFETCH(QString, press);
    QFETCH(QString, expected);
    const int set = int(QStringList { "Ok", "OkCancel", "YesNo" }.indexOf(buttons));
    const QMessageBox::StandardButtons offered[] { QMessageBox::Ok,
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Yes | QMessageBox::No };
    const MsgButtons kind = MsgButtons(set);
    platform::DialogMessageService dialogs;
    BoxPresser presser(press);
    const MsgAnswer answer = dialogs.show({ platform::MsgIcon::Question, kind,
        kind == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok, QStringLiteral("Başlık"),
        QStringLiteral("Metin") });
    QVERIFY(presser.found);
    QCOMPARE(presser.title, QStringLiteral("Başlık"));
    QCOMPARE(presser.offered, offered[set]);
    QCOMPARE(int(answer), int(presses.indexOf(expected)));
}

void TestMessages::realErrorBoxContinuesOnOk()
{
    QFETCH(QString, press);
    QFETCH(QString, canContinue);
    QFETCH(QString, exits);
    DialogsRecordingExit dialogs;
    platform::setMessageService(&dialogs);
    BoxPresser presser(press);
    const bool goesOn = app::HataGoster(3021, QStringLiteral("Kayıt yok."),
        QStringLiteral("Kaydet"), canContinue == QLatin1String("1"));
    platform::setMessageService(nullptr);
    QVERIFY(presser.found);
    QCOMPARE(presser.title, QStringLiteral("GENEL HATA"));
    QCOMPARE(dialogs.exits, exits.toInt());
    QCOMPARE(goesOn, dialogs.exits == 0);
}

void TestMessages::typingGoesOnWhereItWasAfterABox()
{
    QWidget window;
    auto *first = new QLineEdit(&window);
    auto *second = new QLineEdit(&window);
    second->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    second->setFocus();
    platform::DialogMessageService dialogs;
    BoxPresser presser(QStringLiteral("Enter"));
    dialogs.show({ platform::MsgIcon::Warning, MsgButtons::Ok, MsgAnswer::Ok,
        QStringLiteral("Dikkat"), QStringLiteral("Metin") });
    QVERIFY(presser.found);
    QTRY_COMPARE(QApplication::activeWindow(), &window);
    QCOMPARE(QApplication::focusWidget(), second);
    QVERIFY(first->text().isEmpty());
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
