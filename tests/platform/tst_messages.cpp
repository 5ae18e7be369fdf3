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
#include <QMetaEnum>
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

// The box's buttons by their names ("Ok", "Cancel", "Yes", "No").
const QMetaEnum kButtons = QMetaEnum::fromType<QMessageBox::StandardButtons>();

// Answers the next box that appears as the user would: a button by its name
// with the mouse, "Enter", "Escape" or "CloseButton"; notes what it offered.
struct BoxPresser {
    QString press;
    QString title;
    QMessageBox::StandardButtons offered;
    explicit BoxPresser(const QString &how)
        : press(how)
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
        if (!box || !box->isVisible())
            return arm();
        title = box->windowTitle();
        offered = box->standardButtons();
        const int button = kButtons.keyToValue(qPrintable(press));
        if (press == QLatin1String("Escape") || press == QLatin1String("Enter"))
            QTest::keyClick(
                box, press == QLatin1String("Escape") ? Qt::Key_Escape : Qt::Key_Return);
        else if (press == QLatin1String("CloseButton"))
            box->close();
        else if (QAbstractButton *b = box->button(QMessageBox::StandardButton(button)))
            QTest::mouseClick(b, Qt::LeftButton);
        else
            box->done(-1); // not offered: leave, the test then fails on the answer
    }
};

} // namespace

class TestMessages : public QObject {
    Q_OBJECT
private slots:
    // A command-line run's boxes: nobody answers, so a question is No and an
    // error is remembered; the boxes before it come back afterwards.
    void consoleBoxesWaitForNobody()
    {
        testing::ScriptedMessages scripted;
        {
            platform::ConsoleMessages console;
            QCOMPARE(platform::showMessage(platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                         "Dikkat", "Devam edilsin mi?", platform::MsgAnswer::Yes),
                platform::MsgAnswer::No);
            QVERIFY(!console.failed);
            platform::showMessage(platform::MsgIcon::Critical, platform::MsgButtons::Ok,
                "GENEL HATA", "Kayıt deposu açılamadı.");
            QVERIFY(console.failed);
        }
        QVERIFY(scripted.shown().isEmpty());
        platform::showMessage(platform::MsgIcon::Information, platform::MsgButtons::Ok, "a", "b");
        QCOMPARE(scripted.shown().size(), 1);
    }
    void realBoxAnswers_data() { testing::addRows("messageboxes"); }
    void realBoxAnswers();
    void realErrorBoxContinuesOnOk_data() { testing::addRows("errorboxes"); }
    void realErrorBoxContinuesOnOk();
    void realExitEndsAtOnce();
    void typingGoesOnWhereItWasAfterABox();
};

void TestMessages::realBoxAnswers()
{
    QFETCH(QString, buttons);
    QFETCH(QString, press);
    QFETCH(QString, expected);
    const auto kind = MsgButtons(QStringList { "Ok", "OkCancel", "YesNo" }.indexOf(buttons));
    platform::DialogMessageService dialogs;
    BoxPresser presser(press);
    const MsgAnswer answer = dialogs.show({ platform::MsgIcon::Question, kind,
        kind == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok, "Başlık", "Metin" });
    QCOMPARE(presser.title, "Başlık");
    const QMessageBox::StandardButtons offered[] { QMessageBox::Ok,
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Yes | QMessageBox::No };
    QCOMPARE(presser.offered, offered[int(kind)]);
    QCOMPARE(QStringList({ "Ok", "Cancel", "Yes", "No" })[int(answer)], expected);
}

void TestMessages::realErrorBoxContinuesOnOk()
{
    QFETCH(QString, press);
    QFETCH(QString, canContinue);
    QFETCH(QString, exits);
    DialogsRecordingExit dialogs;
    platform::setMessageService(&dialogs);
    BoxPresser presser(press);
    const bool goesOn =
        app::HataGoster(3021, "Kayıt yok.", "Kaydet", canContinue == QLatin1String("1"));
    platform::setMessageService(nullptr);
    QCOMPARE(presser.title, "GENEL HATA");
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
    // The second box comes right after, before the window has its activation
    // back (a display without a window manager): the keys still come back.
    for (const bool afterAnother : { false, true }) {
        if (afterAnother) {
            QApplication::setActiveWindow(nullptr);
            QVERIFY(!QApplication::focusWidget());
        }
        BoxPresser presser("Enter");
        platform::DialogMessageService().show(
            { platform::MsgIcon::Warning, MsgButtons::Ok, MsgAnswer::Ok, "Dikkat", "Metin" });
        QCOMPARE(presser.title, "Dikkat");
        QTRY_COMPARE(QApplication::activeWindow(), &window);
        QCOMPARE(QApplication::focusWidget(), second);
    }
    QVERIFY(first->text().isEmpty());
}

void TestMessages::realExitEndsAtOnce()
{
    // The child ends through the real service: the code arrives, and nothing
    // queued for a normal exit runs.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("EVRAKMATIK_EXIT_CHILD", "1");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath());
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 7);
    QCOMPARE(child.readAllStandardOutput(), QByteArray("before\n"));
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
