#include "app/entryroutines.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString folded = app::TrUpperText(text);
    // Character by character: the same length, and a prefix search finds it.
    if (folded.size() != text.size() || !app::startsWithTrUpper(text, folded))
        __builtin_trap();
    return 0;
}
