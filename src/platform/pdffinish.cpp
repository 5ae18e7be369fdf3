#include "pdffinish.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>

#include <zlib.h>

#include <algorithm>

namespace platform {

namespace {

QByteArray xmlText(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

QByteArray xmpDate(const QDateTime &t)
{
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate).toLatin1();
}

QByteArray pdfDate(const QDateTime &t)
{
    const int offset = t.offsetFromUtc() / 60;
    QByteArray zone = offset == 0 ? QByteArray("Z")
                                  : QByteArray(offset > 0 ? "+" : "-")
            + QByteArray::number(qAbs(offset) / 60).rightJustified(2, '0') + '\''
            + QByteArray::number(qAbs(offset) % 60).rightJustified(2, '0') + '\'';
    return "D:" + t.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + zone;
}

// A text string as PDF holds any text: plain ASCII as it stands, anything
// else (backslashes and parentheses too) as UTF-16 with a byte order mark,
// in hex. Ghostscript's PDF/A writer drops an information dictionary holding
// UTF-16 or escapes it could have kept.
QByteArray pdfText(const QString &text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != QLatin1Char('(')
            && c != QLatin1Char(')') && c != QLatin1Char('\\');
    });
    if (plain)
        return '(' + text.toLatin1() + ')';
    QByteArray out = "<FEFF";
    for (const QChar c : text)
        out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return out + '>';
}

QByteArray number(double v)
{
    return QByteArray::number(v, 'f', 3);
}

QByteArray inflate(const QByteArray &data)
{
    z_stream z {};
    inflateInit(&z);
    QByteArray out;
    char buffer[16384];
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = uInt(data.size());
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = reinterpret_cast<Bytef *>(buffer);
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, int(sizeof buffer - z.avail_out));
    }
    inflateEnd(&z);
    return result == Z_STREAM_END ? out : QByteArray();
}

// A ToUnicode map with each code of a range listed on its own. Qt writes runs
// of codes as ranges with a list of targets, which Ghostscript's text
// extraction misreads beyond Latin-1 ("İSTANBUL" became "1STANBUL").
QByteArray codesOneByOne(const QByteArray &cmap)
{
    const qsizetype first = cmap.indexOf("beginbfrange");
    const qsizetype last = cmap.lastIndexOf("endbfrange");
    if (first < 0 || last < first)
        return cmap;
    const qsizetype head = cmap.lastIndexOf('\n', first) + 1;
    static const QRegularExpression listed(
        QStringLiteral("<([0-9A-Fa-f]+)>\\s*<[0-9A-Fa-f]+>\\s*\\[([^\\]]*)\\]"));
    static const QRegularExpression plain(
        QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>"));
    static const QRegularExpression target(QStringLiteral("<([0-9A-Fa-f]+)>"));
    const QString body = QString::fromLatin1(cmap.mid(first, last - first));
    QList<QByteArray> chars, ranges;
    for (const QString &line : body.split(QLatin1Char('\n'))) {
        if (const auto m = listed.match(line); m.hasMatch()) {
            const int width = int(m.captured(1).size());
            uint code = m.captured(1).toUInt(nullptr, 16);
            for (auto t = target.globalMatch(m.captured(2)); t.hasNext(); ++code)
                chars << '<' + QByteArray::number(code, 16).toUpper().rightJustified(width, '0')
                        + "> <" + t.next().captured(1).toLatin1() + '>';
        } else if (const auto r = plain.match(line); r.hasMatch()) {
            ranges << r.captured(0).toLatin1();
        }
    }
    QByteArray out = cmap.left(head);
    // At most a hundred entries a block, as the CMap format allows.
    auto blocks = [&out](const QList<QByteArray> &entries, const char *kind) {
        for (qsizetype i = 0; i < entries.size(); i += 100) {
            const QList<QByteArray> part = entries.mid(i, 100);
            out += QByteArray::number(part.size()) + " begin" + kind + '\n' + part.join('\n')
                + "\nend" + kind + '\n';
        }
    };
    blocks(ranges, "bfrange");
    blocks(chars, "bfchar");
    return out + cmap.mid(last + int(qstrlen("endbfrange"))).trimmed() + '\n';
}

// A ToUnicode object written anew, its map uncompressed and listed code by code.
QByteArray rewrittenToUnicode(int number, const QByteArray &object)
{
    const qsizetype dictEnd = object.indexOf("stream");
    const qsizetype end = object.lastIndexOf("endstream");
    if (dictEnd < 0 || end < dictEnd)
        return object;
    qsizetype start = dictEnd + 6;
    start += object.at(start) == '\r' ? 2 : 1;
    QByteArray data = object.mid(start, end - start);
    if (object.left(dictEnd).contains("/FlateDecode"))
        data = inflate(data);
    if (!data.contains("begincmap"))
        return object;
    const QByteArray cmap = codesOneByOne(data);
    return QByteArray::number(number) + " 0 obj\n<<\n/Length " + QByteArray::number(cmap.size())
        + "\n>>\nstream\n" + cmap + "\nendstream\nendobj\n";
}

} // namespace

QByteArray pdfaMetadata(const PdfDescription &d)
{
    const QByteArray date = xmpDate(d.created);
    QByteArray x =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
        "<dc:format>application/pdf</dc:format>\n"
        "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">"
        + xmlText(d.title) + "</rdf:li></rdf:Alt></dc:title>\n";
    if (!d.author.isEmpty())
        x += "<dc:creator><rdf:Seq><rdf:li>" + xmlText(d.author)
            + "</rdf:li></rdf:Seq></dc:creator>\n";
    if (!d.subject.isEmpty())
        x += "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">" + xmlText(d.subject)
            + "</rdf:li></rdf:Alt></dc:description>\n";
    x += "</rdf:Description>\n"
         "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
         "<xmp:CreatorTool>Evrakmatik</xmp:CreatorTool>\n<xmp:CreateDate>"
        + date + "</xmp:CreateDate>\n<xmp:ModifyDate>" + date
        + "</xmp:ModifyDate>\n</rdf:Description>\n"
          "<rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
          "<pdf:Producer>Evrakmatik</pdf:Producer>\n";
    x += "</rdf:Description>\n"
         "<rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
         "<pdfaid:part>1</pdfaid:part>\n<pdfaid:conformance>B</pdfaid:conformance>\n"
         "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>";
    return x;
}

bool finishPdf(QByteArray *pdf, const QVector<QSizeF> &pagePoints, const PdfDescription &d)
{
    // The cross-reference table: where each object starts.
    const qsizetype xref = pdf->lastIndexOf("\nxref\n");
    const qsizetype trailer = pdf->indexOf("trailer", xref);
    if (xref < 0 || trailer < 0)
        return false;
    const QList<QByteArray> rows = pdf->mid(xref + 6, trailer - xref - 6).split('\n');
    if (rows.size() < 2 || !rows[0].startsWith("0 "))
        return false;
    QMap<qsizetype, int> objectAt; // offset -> object number
    for (int i = 1; i < rows.size(); ++i) {
        const QByteArray row = rows[i].trimmed();
        if (row.size() >= 18 && row.endsWith('n'))
            objectAt.insert(row.left(10).toLongLong(), i - 1);
    }
    static const QRegularExpression infoRef(QStringLiteral("/Info (\\d+) 0 R"));
    const auto info = infoRef.match(QString::fromLatin1(pdf->mid(trailer)));
    if (!info.hasMatch() || objectAt.isEmpty())
        return false;
    const int infoObject = info.captured(1).toInt();
    QSet<int> toUnicode;
    static const QRegularExpression toUnicodeRef(QStringLiteral("/ToUnicode (\\d+) 0 R"));
    for (auto m = toUnicodeRef.globalMatch(QString::fromLatin1(*pdf)); m.hasNext();)
        toUnicode.insert(m.next().captured(1).toInt());

    QByteArray out = pdf->left(objectAt.firstKey());
    QMap<int, qsizetype> newOffset;
    int page = 0;
    for (auto it = objectAt.cbegin(); it != objectAt.cend(); ++it) {
        const auto next = std::next(it);
        const qsizetype end = next == objectAt.cend() ? xref + 1 : next.key();
        QByteArray object = pdf->mid(it.key(), end - it.key());
        newOffset.insert(it.value(), out.size());
        if (it.value() == infoObject) {
            object = QByteArray::number(infoObject) + " 0 obj\n<<\n/Title " + pdfText(d.title)
                + "\n" + (d.author.isEmpty() ? QByteArray() : "/Author " + pdfText(d.author) + "\n")
                + (d.subject.isEmpty() ? QByteArray() : "/Subject " + pdfText(d.subject) + "\n")
                + "/Creator " + pdfText(QStringLiteral("Evrakmatik")) + "\n/Producer "
                + pdfText(QStringLiteral("Evrakmatik")) + "\n/CreationDate (" + pdfDate(d.created)
                + ")\n/ModDate (" + pdfDate(d.created) + ")\n>>\nendobj\n";
        } else if (toUnicode.contains(it.value())) {
            object = rewrittenToUnicode(it.value(), object);
        } else if (object.contains("/Type /Page\n")) {
            static const QRegularExpression box(
                QStringLiteral("/MediaBox \\[0 0 ([\\d.]+) ([\\d.]+)\\]"));
            const auto m = box.match(QString::fromLatin1(object.left(512)));
            if (!m.hasMatch() || page >= pagePoints.size())
                return false;
            // The drawing is placed from the top edge at the rounded height.
            const double top = m.captured(2).toDouble();
            const QSizeF exact = pagePoints[page++];
            object.replace(m.capturedStart(), m.capturedLength(),
                "/MediaBox [0 " + number(top - exact.height()) + ' ' + number(exact.width()) + ' '
                    + QByteArray::number(top) + ']');
        }
        out += object;
    }
    if (page != pagePoints.size())
        return false;
    const qsizetype newXref = out.size();
    out += "xref\n" + rows[0].trimmed() + "\n0000000000 65535 f \n";
    const int count = rows[0].trimmed().split(' ').value(1).toInt();
    for (int i = 1; i < count; ++i) {
        if (!newOffset.contains(i))
            return false;
        out += QByteArray::number(newOffset.value(i)).rightJustified(10, '0') + " 00000 n \n";
    }
    QByteArray tail = pdf->mid(trailer);
    const qsizetype start = tail.indexOf("startxref");
    if (start < 0)
        return false;
    tail = tail.left(start) + "startxref\n" + QByteArray::number(newXref) + "\n%%EOF\n";
    out += tail;
    *pdf = out;
    return true;
}

} // namespace platform
