#include "formviewer.h"

#include "forms.h"
#include "reportviewer.h"

namespace printing {

void showFormViewers(Form form, records::EntryScreen &screen, QWidget *owner)
{
    if (form == Form::Ek1) {
        // The back page follows when the front page's viewer closes.
        ArTrafik front(screen);
        ReportViewer(front, owner).exec();
        // The back page prints as dark as the clerk chose for the front.
        ArTrafikArka back(screen);
        ReportViewer backViewer(back, owner);
        backViewer.setPrintQuality(front.printQuality);
        backViewer.exec();
        return;
    }
    ArEk9 ek9(screen);
    ReportViewer(ek9, owner).exec();
}

} // namespace printing
