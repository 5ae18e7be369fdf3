#pragma once

class QCommandLineParser;

namespace printing {

// Printing a stored record to PDF without a display:
// --print-pdf ek1|ek9 --id ID --out FILE [--set NAME=TEXT]...
// --print ek1|ek9 --id ID [--printer NAME] [--set NAME=TEXT]...
void addHeadlessOptions(QCommandLineParser &parser);
bool headlessRequested(const QCommandLineParser &parser);
int runHeadless(const QCommandLineParser &parser);

} // namespace printing
