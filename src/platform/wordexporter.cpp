#include "reportexporters.h"

#include "fontfiles.h"
#include "reportfit.h"
#include "reportpainter.h"
#include "safesave.h"
#include "zipwriter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>
#include <QUuid>
#include <QtMath>

namespace platform {

namespace {

const char kXmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const char kW[] = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                  "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
const char kRel[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

QByteArray xmlText(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('&'))
            out += QStringLiteral("&amp;");
        else if (c == QLatin1Char('<'))
            out += QStringLiteral("&lt;");
        else if (c == QLatin1Char('>'))
            out += QStringLiteral("&gt;");
        else if (c == QLatin1Char('\t') || c.unicode() >= 0x20)
            out += c;
        // Other control characters are not allowed in XML.
    }
    return out.toUtf8();
}

QByteArray num(double v)
{
    return QByteArray::number(qRound(v));
}

// One embedded face: the part's name and the key it is obfuscated with.
struct EmbeddedFace {
    QString family;
    bool bold = false;
    QByteArray part; // e.g. "fonts/font1.odttf"
    QByteArray key; // "{GUID}"
    QByteArray data;
};

// A face as a Word document carries it: the first 32 bytes mixed with the
// key's bytes, read from the key's end.
QByteArray obfuscated(QByteArray font, const QByteArray &key)
{
    const QByteArray hex = QByteArray(key).replace("{", "").replace("}", "").replace("-", "");
    const QByteArray bytes = QByteArray::fromHex(hex);
    for (int i = 0; i < 16 && font.size() >= 32; ++i) {
        const char k = bytes[15 - i];
        font[i] = char(font[i] ^ k);
        font[i + 16] = char(font[i + 16] ^ k);
    }
    return font;
}

QVector<EmbeddedFace> facesOf(const QVector<const Report *> &pages)
{
    QVector<EmbeddedFace> faces;
    for (const Report *r : pages) {
        for (const ReportField &f : r->fields) {
            for (bool bold : { false, true }) {
                const bool known = std::any_of(faces.begin(), faces.end(), [&](const auto &e) {
                    return e.family.compare(f.family, Qt::CaseInsensitive) == 0 && e.bold == bold;
                });
                if (known)
                    continue;
                QFile file(fontFile(f.family, bold));
                if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
                    continue;
                EmbeddedFace face { f.family, bold, {}, {}, file.readAll() };
                face.part = "fonts/font" + QByteArray::number(faces.size() + 1) + ".odttf";
                // The key follows from the face, so the same pages give the same file.
                face.key =
                    QUuid::fromRfc4122(QCryptographicHash::hash(face.data, QCryptographicHash::Md5))
                        .toString(QUuid::WithBraces)
                        .toUpper()
                        .toLatin1();
                faces << face;
            }
        }
    }
    return faces;
}

QByteArray sectionOf(const Report &r)
{
    const QSize paper = paperTwips(r.pageSettings.paperSize, r.pageSettings.orientation);
    return "<w:sectPr><w:type w:val=\"nextPage\"/><w:pgSz w:w=\"" + num(paper.width()) + "\" w:h=\""
        + num(paper.height()) + "\""
        + (r.pageSettings.orientation == 2 ? " w:orient=\"landscape\"" : "")
        + "/><w:pgMar w:top=\"0\" w:right=\"0\" w:bottom=\"0\" w:left=\"0\" w:header=\"0\" "
          "w:footer=\"0\" w:gutter=\"0\"/></w:sectPr>";
}

QByteArray fieldFrame(const Report &r, const ReportField &f)
{
    const QRect p = fieldOnPaper(r, f);
    const FieldFit &fit = fitOf(f);
    // The PDF's size and lines, in a frame at least the box's height with
    // lines at least the face's pitch, so nothing is ever hidden.
    const int pitch = qCeil(linePitchTwips(fieldFont(f, fit.pointSize)));
    const char *align = f.align & Qt::AlignHCenter ? "center"
        : f.align & Qt::AlignRight                 ? "right"
                                                   : "left";
    const QByteArray size = num(fit.pointSize * 2);
    const QByteArray family = xmlText(f.family);
    QByteArray out = "<w:p><w:pPr><w:framePr w:w=\"" + num(p.width()) + "\" w:h=\""
        + num(p.height()) + "\" w:hRule=\"atLeast\" w:wrap=\"around\" w:hAnchor=\"page\" "
        + "w:vAnchor=\"page\" w:x=\"" + num(p.left()) + "\" w:y=\"" + num(p.top())
        + "\"/><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"" + num(pitch)
        + "\" w:lineRule=\"atLeast\"/><w:jc w:val=\"" + align + "\"/></w:pPr><w:r><w:rPr>"
        + "<w:rFonts w:ascii=\"" + family + "\" w:hAnsi=\"" + family + "\" w:cs=\"" + family
        + "\" w:eastAsia=\"" + family + "\"/>" + (f.bold ? "<w:b/><w:bCs/>" : "")
        + "<w:kern w:val=\"1\"/><w:sz w:val=\"" + size + "\"/><w:szCs w:val=\"" + size
        + "\"/></w:rPr>";
    for (int i = 0; i < fit.lines.size(); ++i) {
        if (i > 0)
            out += "<w:br/>";
        // The PDF centres and right-aligns a line with its trailing blanks; a
        // word processor leaves ordinary ones out, but not fixed ones.
        QString line = fit.lines[i];
        if (!(f.align & Qt::AlignLeft)) {
            for (qsizetype j = line.size() - 1; j >= 0 && line[j] == QLatin1Char(' '); --j)
                line[j] = QChar::Nbsp;
        }
        out += "<w:t xml:space=\"preserve\">" + xmlText(line) + "</w:t>";
    }
    return out + "</w:r></w:p>\n";
}

QByteArray documentXml(const QVector<const Report *> &pages)
{
    QByteArray out = kXmlHead + QByteArray("<w:document ") + kW + "><w:body>\n";
    for (int i = 0; i < pages.size(); ++i) {
        const Report &r = *pages[i];
        for (const ReportField &f : r.fields) {
            if (!f.text.isEmpty())
                out += fieldFrame(r, f);
        }
        // The page's frames are anchored to a hairline paragraph, which ends
        // the page's section.
        const QByteArray anchor = "<w:spacing w:before=\"0\" w:after=\"0\" w:line=\"20\" "
                                  "w:lineRule=\"exact\"/><w:rPr><w:sz w:val=\"2\"/></w:rPr>";
        if (i + 1 < pages.size())
            out += "<w:p><w:pPr>" + anchor + sectionOf(r) + "</w:pPr></w:p>\n";
        else
            out += "<w:p><w:pPr>" + anchor + "</w:pPr></w:p>\n" + sectionOf(r);
    }
    return out + "</w:body></w:document>\n";
}

QByteArray fontTableXml(const QVector<EmbeddedFace> &faces, QByteArray *rels)
{
    QStringList families;
    for (const auto &face : faces) {
        if (!families.contains(face.family))
            families << face.family;
    }
    QByteArray out = kXmlHead + QByteArray("<w:fonts ") + kW + ">";
    *rels = kXmlHead
        + QByteArray("<Relationships "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">");
    for (const QString &family : families) {
        out += "<w:font w:name=\"" + xmlText(family)
            + "\"><w:charset w:val=\"A2\"/><w:family w:val=\"swiss\"/>"
              "<w:pitch w:val=\"variable\"/>";
        for (int i = 0; i < faces.size(); ++i) {
            if (faces[i].family != family)
                continue;
            const QByteArray id = "rIdFont" + QByteArray::number(i + 1);
            out += QByteArray(faces[i].bold ? "<w:embedBold" : "<w:embedRegular") + " r:id=\"" + id
                + "\" w:fontKey=\"" + faces[i].key + "\"/>";
            *rels += "<Relationship Id=\"" + id + "\" Type=\"" + kRel + "font\" Target=\""
                + faces[i].part + "\"/>";
        }
        out += "</w:font>";
    }
    *rels += "</Relationships>\n";
    return out + "</w:fonts>\n";
}

} // namespace

QByteArray WordExporter::docx(const QVector<const Report *> &pages)
{
    const QVector<EmbeddedFace> faces = facesOf(pages);
    QByteArray fontRels;
    const QByteArray fontTable = fontTableXml(faces, &fontRels);
    const QByteArray relsHead = kXmlHead
        + QByteArray("<Relationships "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">");
    ZipWriter zip;
    zip.add(QStringLiteral("[Content_Types].xml"),
        kXmlHead
            + QByteArray(
                "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                "<Default Extension=\"rels\" "
                "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                "<Default Extension=\"odttf\" "
                "ContentType=\"application/vnd.openxmlformats-officedocument.obfuscatedFont\"/>"
                "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
                "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
                "<Override PartName=\"/word/styles.xml\" ContentType=\"application/"
                "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
                "<Override PartName=\"/word/settings.xml\" ContentType=\"application/"
                "vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>"
                "<Override PartName=\"/word/fontTable.xml\" ContentType=\"application/"
                "vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml\"/>"
                "</Types>\n"));
    zip.add(QStringLiteral("_rels/.rels"),
        relsHead + "<Relationship Id=\"rId1\" Type=\"" + kRel
            + "officeDocument\" Target=\"word/document.xml\"/></Relationships>\n");
    zip.add(QStringLiteral("word/_rels/document.xml.rels"),
        relsHead + "<Relationship Id=\"rId1\" Type=\"" + kRel
            + "styles\" Target=\"styles.xml\"/><Relationship Id=\"rId2\" Type=\"" + kRel
            + "settings\" Target=\"settings.xml\"/><Relationship Id=\"rId3\" Type=\"" + kRel
            + "fontTable\" Target=\"fontTable.xml\"/></Relationships>\n");
    zip.add(QStringLiteral("word/document.xml"), documentXml(pages));
    // No space around paragraphs, Turkish text; the faces travel with the file.
    zip.add(QStringLiteral("word/styles.xml"),
        kXmlHead + QByteArray("<w:styles ") + kW
            + "><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Tahoma\" "
              "w:hAnsi=\"Tahoma\" w:cs=\"Tahoma\" w:eastAsia=\"Tahoma\"/><w:lang w:val=\"tr-TR\"/>"
              "</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:before=\"0\" "
              "w:after=\"0\"/></w:pPr></w:pPrDefault></w:docDefaults></w:styles>\n");
    zip.add(QStringLiteral("word/settings.xml"),
        kXmlHead + QByteArray("<w:settings ") + kW
            + "><w:embedTrueTypeFonts/><w:defaultTabStop w:val=\"720\"/></w:settings>\n");
    zip.add(QStringLiteral("word/fontTable.xml"), fontTable);
    zip.add(QStringLiteral("word/_rels/fontTable.xml.rels"), fontRels);
    for (const EmbeddedFace &face : faces)
        zip.add(
            QStringLiteral("word/") + QLatin1String(face.part), obfuscated(face.data, face.key));
    return zip.finish();
}

bool WordExporter::writeTo(
    const QVector<const Report *> &pages, const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = writeFailureReason(file.errorString());
        return false;
    }
    return writeAndCommit(file, docx(pages), error);
}

} // namespace platform
