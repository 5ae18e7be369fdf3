#include "app/entryroutines.h"

#include <QDate>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (app::IsValidDate(text)) {
        // Whatever passes is a real date in range, in day.month.year order.
        const QDate d(text.mid(6, 4).toInt(), text.mid(3, 2).toInt(), text.left(2).toInt());
        if (!d.isValid() || d.year() < 1900 || d.year() > 2045 || text.size() != 10)
            __builtin_trap();
    }
    return 0;
}
