#include "clock.h"

namespace platform {

namespace {
QDateTime g_fixed;
}

QDateTime now()
{
    return g_fixed.isValid() ? g_fixed : QDateTime::currentDateTime();
}

void setNowForTests(const QDateTime &fixed)
{
    g_fixed = fixed;
}

} // namespace platform
