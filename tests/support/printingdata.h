#pragma once

#include <QStringList>
#include <QVector>

namespace testing {

// The rows of a tab-separated table under tests/data, cells split, without its
// "#" comment lines; empty when the file cannot be read.
QVector<QStringList> readTable(const QString &name);

} // namespace testing
