#pragma once

#include <QString>

namespace app {

// The program's one error box, "GENEL HATA". Returns true when the caller may
// go on (continue given and OK chosen); otherwise the process is ended.
bool HataGoster(
    int number, const QString &description, const QString &section, bool canContinue = false);
// The box's text, line by line as shown.
QString errorMessageText(int number, const QString &description, const QString &section);

} // namespace app
