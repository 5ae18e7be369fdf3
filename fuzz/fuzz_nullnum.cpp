#include "app/basics.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString n = app::NullNum(text);
    // Either the trimmed text, when it is a number, or "0".
    if (n != QLatin1String("0") && n != text.trimmed())
        __builtin_trap();
    (void)app::localeNumber(n);
    (void)app::NullTxt(text, size % 2, size % 3);
    return 0;
}
