#include "codepage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace platform {

namespace {

QByteArray convert(const char *to, const char *from, const QByteArray &in, bool *ok)
{
    *ok = false;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::vector<char> out(static_cast<size_t>(in.size()) * 4 + 16);
    char *src = const_cast<char *>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    char *dst = out.data();
    size_t dstLeft = out.size();
    QByteArray result;
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ || errno == EINVAL) {
            // Skip the offending byte and mark it; never lose the rest of the text.
            *dst++ = '?';
            --dstLeft;
            ++src;
            --srcLeft;
            continue;
        }
        break;
    }
    iconv_close(cd);
    result = QByteArray(out.data(), static_cast<qsizetype>(out.size() - dstLeft));
    *ok = true;
    return result;
}

} // namespace

QString fromCp1254(const QByteArray &bytes)
{
    bool ok = false;
    const QByteArray utf8 = convert("UTF-8", "WINDOWS-1254", bytes, &ok);
    return ok ? QString::fromUtf8(utf8) : QString::fromLatin1(bytes);
}

QByteArray toCp1254(const QString &text)
{
    bool ok = false;
    const QByteArray out = convert("WINDOWS-1254//TRANSLIT", "UTF-8", text.toUtf8(), &ok);
    return ok ? out : text.toLatin1();
}

} // namespace platform
