#pragma once

namespace platform {

// Day.month.year dates, "," decimals and "." grouping for this process only;
// the system's settings are left alone.
void applyRegionalFormats();

} // namespace platform
