#include "testsupport.h"

#include "app/appstate.h"
#include "app/mainwindow.h"
#include "app/startup.h"

#include <QApplication>

#include <QDir>
#include <QFile>
#include <QLocale>

namespace testing {

ScriptedMessages::ScriptedMessages()
{
    platform::setMessageService(this);
}

ScriptedMessages::~ScriptedMessages()
{
    platform::setMessageService(nullptr);
}

platform::MsgAnswer ScriptedMessages::show(const platform::MessageRequest &request)
{
    shown_.push_back(request);
    if (!answers_.isEmpty())
        return answers_.takeFirst();
    return request.buttons == platform::MsgButtons::YesNo ? platform::MsgAnswer::Yes
                                                          : platform::MsgAnswer::Ok;
}

void ScriptedMessages::endProcess(int)
{
    ++exits_;
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

QString ProgramFolder::storePath() const
{
    return path() + QStringLiteral("/data/tescil.mdb");
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

} // namespace testing
