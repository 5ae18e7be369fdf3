#include "headlessprint.h"

#include <QCommandLineParser>

#include <cstdio>

namespace printing {

void addHeadlessOptions(QCommandLineParser &) { }

bool headlessRequested(const QCommandLineParser &)
{
    return false;
}

int runHeadless(const QCommandLineParser &)
{
    std::fprintf(stderr, "evrakmatik: --print-pdf henüz desteklenmiyor\n");
    return 2;
}

} // namespace printing
