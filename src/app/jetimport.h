#pragma once

#include <QString>
#include <QStringList>

namespace app {

struct JetImportOutcome {
    bool ok = false;
    // For the clerk, in Turkish: the summary, or why nothing was brought over.
    QString text;
    // Values that could not be taken as they were: table, ID, column, what
    // the file held and what was stored instead; one a line.
    QStringList changed;
    long long read = 0;
    long long written = 0;
};

// Brings ARACKAYIT and ARACSAHIPLERI of a Jet file into the record store the
// desk uses, IDs kept, in one transaction. Refused when the store already
// holds records. Every written row is read back and compared before the
// commit; any failure leaves the store as it was. The Jet file is only read.
JetImportOutcome importJetRecords(const QString &file);

// Adds the brand and model pairs of a Jet file's Araclar table to the brand
// list, each pair once, beside those already there.
JetImportOutcome importJetBrands(const QString &file);

enum class JetContent { Records, Brands, None };
// What a Jet file holds for this program: the record tables, Araclar, or
// neither (or no Jet file at all).
JetContent jetFileContent(const QString &file);

// "--import-jet FILE [--brands]": the summary on the standard output, the
// reason on the standard error; returns the exit code. Never waits on a box.
int importJetCommand(const QString &file, bool brands);

} // namespace app
