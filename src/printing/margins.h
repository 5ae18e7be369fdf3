#pragma once

#include <QString>

namespace platform {
class Report;
}

namespace printing {

// Twips per millimetre is 56.7; both conversions truncate toward zero.
int MmToTwip(int millimetres);
int TwipToMm(int twips);

// The shared current margins, in whole millimetres: those of the report that
// started last or of the last margin dialog action.
struct CurrentMargins {
    int sol = 0; // left
    int ust = 0; // top
    int sag = 0; // right
    int alt = 0; // bottom
};
CurrentMargins &currentMargins();

// Writes one margin value to the report's section of the margins file.
void BoslukYaz(const QString &section, const QString &key, const QString &value);
// Brings the shared margins and the report's page margins into line with the
// margins file; the first run of a report stores its defaults.
void BosluklariUygula(platform::Report &report);

} // namespace printing
