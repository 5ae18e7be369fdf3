#pragma once

namespace platform {

// Day.month.year dates, "," decimals and "." grouping for this process only;
// the system's settings are left alone.
void applyRegionalFormats();
// Qt's own dialogs (the file dialog's dates) follow the system locale read
// from the environment: this makes it Turkish for dates before the
// application object reads it. Letters and messages stay as the desktop has them.
void preferTurkishDates();

} // namespace platform
