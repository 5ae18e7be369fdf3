#pragma once

#include "printframes.h"

class QWidget;

namespace records {
class EntryScreen;
}

namespace printing {

// Shows the viewers of a form one after another, modally: the EK-1 front page,
// then its back page; or the EK-9.
void showFormViewers(Form form, records::EntryScreen &screen, QWidget *owner);

} // namespace printing
