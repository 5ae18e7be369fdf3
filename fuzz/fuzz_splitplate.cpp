#include "app/entryroutines.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString plate = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const app::PlateParts p = app::SplitPlate(plate);
    // The three parts put together give the plate back (up to 255 characters).
    if (!plate.trimmed().isEmpty() && p.il + p.harf + p.no != plate.left(255))
        __builtin_trap();
    return 0;
}
