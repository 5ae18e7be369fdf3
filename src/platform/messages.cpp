#include "messages.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

QMessageBox::StandardButton toStandard(MsgAnswer a)
{
    switch (a) {
    case MsgAnswer::Ok:
        return QMessageBox::Ok;
    case MsgAnswer::Cancel:
        return QMessageBox::Cancel;
    case MsgAnswer::Yes:
        return QMessageBox::Yes;
    case MsgAnswer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

class DialogMessageService final : public MessageService {
public:
    MsgAnswer show(const MessageRequest &r) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(r.title);
        box.setText(r.text);
        switch (r.icon) {
        case MsgIcon::None:
            break;
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        }
        switch (r.buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        }
        box.setDefaultButton(toStandard(r.defaultAnswer));
        switch (box.exec()) {
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        default:
            // Closing an OK/Cancel box by its close button answers Cancel.
            return r.buttons == MsgButtons::Ok   ? MsgAnswer::Ok
                : r.buttons == MsgButtons::YesNo ? MsgAnswer::No
                                                 : MsgAnswer::Cancel;
        }
    }
};

DialogMessageService g_dialogs;
MessageService *g_service = nullptr;

} // namespace

void MessageService::endProcessNow(int code)
{
    // "At once": no event loop, no destructors of half-used windows. Open
    // SQLite files are left consistent by their journals.
    std::fflush(nullptr);
    std::_Exit(code);
}

MessageService &messages()
{
    return g_service ? *g_service : g_dialogs;
}

void setMessageService(MessageService *service)
{
    g_service = service;
}

MsgAnswer showMessage(MsgIcon icon, MsgButtons buttons, const QString &title, const QString &text,
    MsgAnswer defaultAnswer)
{
    return messages().show({ icon, buttons, defaultAnswer, title, text });
}

void endProcess(int code)
{
    messages().endProcess(code);
}

} // namespace platform
