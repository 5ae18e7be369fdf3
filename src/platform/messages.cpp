#include "messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>

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

QMessageBox::Icon toIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None:
        break;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    // What Esc and the window's close button answer. Never Cancel: in the
    // error box Cancel ends the program, which must take a deliberate click.
    MsgAnswer dismissal;
};

ButtonSet buttonSet(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        break;
    case MsgButtons::OkCancel:
        return { QMessageBox::Ok | QMessageBox::Cancel, MsgAnswer::Ok };
    case MsgButtons::YesNo:
        return { QMessageBox::Yes | QMessageBox::No, MsgAnswer::No };
    }
    return { QMessageBox::Ok, MsgAnswer::Ok };
}

DialogMessageService g_dialogs;
MessageService *g_service = nullptr;

} // namespace

MsgAnswer DialogMessageService::show(const MessageRequest &r)
{
    // Typing goes on where it was once the box is answered, even where no
    // window manager gives the window back its activation.
    // A box raised right after another comes before the window has its
    // activation back, with no focus to note: it gives back the same box.
    static QPointer<QWidget> givenBack;
    const QPointer<QWidget> focus =
        QApplication::focusWidget() ? QApplication::focusWidget() : givenBack.data();
    const auto giveBack = qScopeGuard([&focus] {
        if (focus && focus->isVisible()) {
            givenBack = focus;
            focus->activateWindow();
            focus->setFocus(Qt::ActiveWindowFocusReason);
        }
    });
    QMessageBox box(QApplication::activeWindow() ? QApplication::activeWindow()
            : focus                              ? focus->window()
                                                 : nullptr);
    box.setWindowTitle(r.title);
    box.setText(r.text);
    box.setIcon(toIcon(r.icon));
    const ButtonSet set = buttonSet(r.buttons);
    box.setStandardButtons(set.buttons);
    box.setDefaultButton(toStandard(r.defaultAnswer));
    box.setEscapeButton(toStandard(set.dismissal));
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        return set.dismissal;
    }
}

void MessageService::endProcessNow(int code)
{
    // "At once": no event loop, no destructors of half-used windows. Open
    // SQLite files are left consistent by their journals.
    std::fflush(nullptr);
    std::_Exit(code);
}

ConsoleMessages::ConsoleMessages()
    : before_(&messages())
{
    setMessageService(this);
}

ConsoleMessages::~ConsoleMessages()
{
    setMessageService(before_);
}

MsgAnswer ConsoleMessages::show(const MessageRequest &r)
{
    failed = failed || r.icon == MsgIcon::Critical;
    std::fprintf(stderr, "%s: %s\n", qPrintable(r.title), qPrintable(r.text));
    return r.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
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
