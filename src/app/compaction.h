#pragma once

#include <QString>

namespace app {

// Compacts the database file in place. The file as it was stays beside it under
// the temporary name (path + "x") until the next compaction.
void CompactData(const QString &path);

// Test hook: a step that fails on purpose after the store was moved aside.
void setCompactionFailureForTests(bool fail);

} // namespace app
