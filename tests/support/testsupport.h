#pragma once

#include "platform/messages.h"

#include <QString>
#include <QTemporaryDir>
#include <QVector>

#include <memory>

namespace app {
class MainWindow;
}

namespace testing {

// Answers message boxes from a queue (OK or Yes when the queue is empty),
// records every box shown and every request to end the process.
class ScriptedMessages final : public platform::MessageService {
public:
    ScriptedMessages();
    ~ScriptedMessages() override;

    void answerNext(platform::MsgAnswer answer) { answers_.push_back(answer); }
    platform::MsgAnswer show(const platform::MessageRequest &request) override;
    void endProcess(int code) override;

    const QVector<platform::MessageRequest> &shown() const { return shown_; }
    int exits() const { return exits_; }
    // Titles of the boxes shown, in order.
    QStringList titles() const;
    void reset();

private:
    QVector<platform::MsgAnswer> answers_;
    QVector<platform::MessageRequest> shown_;
    int exits_ = 0;
};

// A fresh program folder with the built templates, and a margins folder, set
// as the program's folders for the life of the object.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withTemplates = true);
    ~ProgramFolder();
    QString path() const { return dir_.path() + QStringLiteral("/program"); }
    QString storePath() const;
    QString marginFolder() const { return dir_.path() + QStringLiteral("/margins"); }

private:
    QTemporaryDir dir_;
};

// Copies the built templates into folder/MDQ.
void copyTemplates(const QString &folder);

// A main window on a fresh program folder, loaded as at start-up.
struct Program {
    ScriptedMessages messages;
    ProgramFolder folder;
    std::unique_ptr<app::MainWindow> window;
    Program();
    ~Program();
};

} // namespace testing

// Records (entry screen, save and load): a whole transaction and what the save keeps of it.
#include <QStringList>
#include <QVariant>
namespace records {
class EntryScreen;
}
namespace testing {

// A whole transaction typed as a clerk would: every box a distinct value,
// three owners, ticks, options, lists and dates.
void typeTransaction(records::EntryScreen &s);

// Every control that the save stores, one "control=value" line each.
QStringList snapshot(const records::EntryScreen &s);

// A fresh window: nothing chosen anywhere.
void resetChoices(records::EntryScreen &s);

// SQL on the record store: the first column of every row; a statement that must succeed.
QVariantList storeColumn(const QString &sql);
bool storeExec(const QString &sql);

} // namespace testing
