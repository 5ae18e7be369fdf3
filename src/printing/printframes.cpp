#include "printframes.h"

#include "formviewer.h"
#include "records/entryscreen.h"

#include <QPushButton>

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
}

bool PrintFrames::engineNumberBlank() const
{
    return screen_.txt(16)->text().trimmed().isEmpty();
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
