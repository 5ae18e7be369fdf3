#include "codepage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace platform {

namespace {

// The bytes cp1254 leaves without a character.
bool unmapped(char16_t c)
{
    for (const char16_t u : { 0x81, 0x8D, 0x8E, 0x8F, 0x90, 0x9D, 0x9E })
        if (c == u)
            return true;
    return false;
}

QByteArray convert(const char *to, const char *from, const QByteArray &in, bool *ok)
{
    const bool decoding = qstrcmp(to, "UTF-8") == 0;
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
            // Keep a byte the code page lacks as the control character of
            // its number; mark anything else and never lose the rest.
            const uchar b = uchar(*src);
            if (decoding && unmapped(b)) {
                *dst++ = char(0xC2);
                *dst++ = char(b);
                dstLeft -= 2;
            } else {
                *dst++ = '?';
                --dstLeft;
            }
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
    // The control characters that stand for the bytes without a character go
    // back as those bytes; the rest goes through the converter in runs.
    QByteArray out;
    qsizetype start = 0;
    const auto flush = [&](qsizetype end) {
        if (end <= start)
            return;
        const QString run = text.mid(start, end - start);
        bool ok = false;
        const QByteArray bytes = convert("WINDOWS-1254//TRANSLIT", "UTF-8", run.toUtf8(), &ok);
        out += ok ? bytes : run.toLatin1();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (unmapped(c)) {
            flush(i);
            out += char(c);
            start = i + 1;
        }
    }
    flush(text.size());
    return out;
}

} // namespace platform
