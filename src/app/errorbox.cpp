#include "errorbox.h"

#include "basics.h"
#include "platform/messages.h"

namespace app {

QString errorMessageText(int number, const QString &description, const QString &section)
{
    const QString nl = QStringLiteral("\r\n");
    return QStringLiteral("PROGRAMDA BİR HATA OLUŞTU !!!") + nl + nl
        + QStringLiteral(" Program Adı    : ") + programName() + nl
        + QStringLiteral(" Bölüm Adı      : ") + section + nl + QStringLiteral(" Hata Kodu      : ")
        + QString::number(number) + nl + QStringLiteral(" Hata Açıklaması: ") + nl + description
        + nl;
}

bool HataGoster(int number, const QString &description, const QString &section, bool canContinue)
{
    CursorDefault();
    const auto answer =
        platform::showMessage(platform::MsgIcon::Critical, platform::MsgButtons::OkCancel,
            QStringLiteral("GENEL HATA"), errorMessageText(number, description, section));
    if (answer == platform::MsgAnswer::Cancel || !canContinue) {
        platform::endProcess(1);
        return false;
    }
    return true;
}

} // namespace app
