#pragma once

#include <QString>

class QWidget;

namespace platform {

enum class MsgIcon { None, Information, Question, Warning, Critical };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    MsgAnswer defaultAnswer = MsgAnswer::Ok;
    QString title;
    QString text;
};

// Every message box and every "end the process" goes through here, so tests can
// answer a box and observe an exit without a person.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MsgAnswer show(const MessageRequest &request) = 0;
    [[noreturn]] virtual void endProcessNow(int code);
    // Returns only when a test has installed a service that records the exit.
    virtual void endProcess(int code) { endProcessNow(code); }
};

// The real boxes: a modal QMessageBox per request. Tests derive from it to
// press the real buttons while recording, not performing, the exit.
class DialogMessageService : public MessageService {
public:
    MsgAnswer show(const MessageRequest &request) override;
};

// While it lives, every box of a command-line run goes to the standard error
// as "title: text": nobody is there to answer, so a question is answered No.
// failed tells whether an error box was among them.
class ConsoleMessages final : public MessageService {
public:
    ConsoleMessages();
    ~ConsoleMessages() override;
    MsgAnswer show(const MessageRequest &request) override;
    bool failed = false;

private:
    MessageService *before_;
};

MessageService &messages();
// Installs a service (tests); nullptr restores the real dialogs. Not owned.
void setMessageService(MessageService *service);

MsgAnswer showMessage(MsgIcon icon, MsgButtons buttons, const QString &title, const QString &text,
    MsgAnswer defaultAnswer = MsgAnswer::Ok);
void endProcess(int code);

} // namespace platform
