#include "printframes.h"

#include "formviewer.h"
#include "records/boxmarks.h"
#include "records/entryscreen.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>

namespace printing {

PrintFrames::PrintFrames(records::EntryScreen &screen, QWidget *window)
    : QObject(window)
    , screen_(screen)
    , window_(window)
{
    printer_ = [this](Form form) { showFormViewers(form, screen_, window_); };
    connect(screen_.XPButton3(), &QPushButton::clicked, this, &PrintFrames::printEk1);
    connect(screen_.XPButton6(), &QPushButton::clicked, this, &PrintFrames::cancelEk1);
    connect(screen_.XPButton7(), &QPushButton::clicked, this, &PrintFrames::printEk9);
    connect(screen_.XPButton8(), &QPushButton::clicked, this, &PrintFrames::cancelEk9);
    // Enter in a frame's last box prints; Esc anywhere in a frame cancels it.
    // Installed after the boxes' own behaviour, so seen before it.
    for (int last : { 124, 127 })
        screen_.txt(last)->widget()->installEventFilter(this);
    for (auto [frame, cancel] : { std::pair { screen_.FrmYazdir(), &PrintFrames::cancelEk1 },
             std::pair { screen_.Frame5(), &PrintFrames::cancelEk9 } }) {
        auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), frame);
        esc->setContext(Qt::WidgetWithChildrenShortcut);
        connect(esc, &QShortcut::activated, this, cancel);
    }
}

bool PrintFrames::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        || (key->modifiers() & ~Qt::KeypadModifier))
        return false;
    if (watched == screen_.txt(124)->widget())
        screen_.XPButton3()->click();
    else
        screen_.XPButton7()->click();
    return true;
}

bool PrintFrames::engineNumberBlank() const
{
    // No form without an engine number; the status bar says why nothing opened.
    const bool blank = screen_.txt(16)->text().trimmed().isEmpty();
    if (blank)
        emit screen_.marks().notice(QStringLiteral("Yazdırmak için MOTOR NO gerekli."));
    return blank;
}

void PrintFrames::openEk1Frame()
{
    if (engineNumberBlank())
        return;
    screen_.showOverlay(screen_.FrmYazdir());
    // The office line is typed anew for every print; the proxy data stays.
    screen_.txt(124)->setText(QString());
    screen_.txt(124)->widget()->setFocus(Qt::OtherFocusReason);
}

void PrintFrames::openEk9Frame()
{
    if (engineNumberBlank())
        return;
    screen_.showOverlay(screen_.Frame5());
    for (int i : { 125, 126, 127 })
        screen_.txt(i)->setText(QString());
    screen_.txt(125)->widget()->setFocus(Qt::OtherFocusReason);
}

void PrintFrames::printEk1()
{
    screen_.hideOverlay(screen_.FrmYazdir());
    printer_(Form::Ek1);
}

void PrintFrames::printEk9()
{
    screen_.hideOverlay(screen_.Frame5());
    printer_(Form::Ek9);
}

void PrintFrames::cancelEk1()
{
    screen_.hideOverlay(screen_.FrmYazdir());
}

void PrintFrames::cancelEk9()
{
    screen_.hideOverlay(screen_.Frame5());
}

} // namespace printing
