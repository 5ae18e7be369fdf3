#include "printqueue.h"

#include <cups/cups.h>

namespace platform {

bool lastPrintJobAccepted(QString *why)
{
    // The print engine submits through the same library in this thread, so
    // its last answer is still here.
    const ipp_status_t status = cupsLastError();
    if (status <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return true;
    *why = status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS
        ? QStringLiteral("Yazıcı kuyruğu iş kabul etmiyor (kuyruk durdurulmuş ya da reddediyor).")
        : QStringLiteral("Yazdırma sistemi işi kabul etmedi: %1")
              .arg(QString::fromUtf8(cupsLastErrorString()));
    return false;
}

} // namespace platform
