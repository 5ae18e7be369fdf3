#pragma once

#include <QString>

#include <optional>

namespace platform {
class Report;
}

namespace printing {

// Twips per millimetre is 56.7; both conversions truncate toward zero.
int MmToTwip(int millimetres);
int TwipToMm(int twips);

// A margin as the file or a dialog box holds it, in whole millimetres: "," and
// "." are both decimal signs (nobody groups the thousands of a margin), and
// the fraction is cut off. std::nullopt for a text that is no such number.
std::optional<int> marginMillimetres(const QString &text);

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
// Why left and top margins of sol and ust millimetres would put every field of
// the report off its paper, naming the margin; empty when some field lands on it.
QString marginsOffThePaper(const platform::Report &report, int sol, int ust);

// Brings the shared margins and the report's page margins into line with the
// margins file; the first run of a report stores its defaults.
void BosluklariUygula(platform::Report &report);

} // namespace printing
