#pragma once

#include <QString>
#include <QStringList>

namespace records {

// The success box's text: its fixed first line, whether the save added a
// vehicle or updated one, then each non-empty note as its own paragraph.
QString successText(bool created, const QStringList &notes);

} // namespace records
