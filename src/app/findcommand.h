#pragma once

#include <QString>

namespace app {

// `--find TEXT`: prints the records matching every word of text, one a line,
// tab-separated (ID, old plate, new plate, chassis, engine, first owner, what
// matched), in the list's order. Returns 0 with matches, 1 without, 2 when
// the store could not be searched. Nothing waits on a box.
int findCommand(const QString &text);

} // namespace app
