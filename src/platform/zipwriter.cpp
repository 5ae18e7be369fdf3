#include "zipwriter.h"

#include <QtEndian>

#include <utility>

#include <zlib.h>

namespace platform {

namespace {

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

QByteArray deflateRaw(const QByteArray &data)
{
    z_stream z {};
    // Negative window bits: a bare deflate stream, as ZIP stores it.
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(int(z.total_out));
    deflateEnd(&z);
    return out;
}

// 1 January 1980, the earliest time ZIP can hold: the parts carry no time
// of their own, and the same pages give the same file.
constexpr quint16 kDosDate = (0 << 9) | (1 << 5) | 1;
constexpr quint16 kUtf8Names = 1 << 11;

} // namespace

void ZipWriter::add(const QString &name, const QByteArray &data)
{
    Entry e;
    e.name = name.toUtf8();
    e.crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
    e.size = quint32(data.size());
    e.offset = quint32(m_out.size());
    const QByteArray packed = deflateRaw(data);
    e.packedSize = quint32(packed.size());
    put32(m_out, 0x04034b50);
    put16(m_out, 20);
    put16(m_out, kUtf8Names);
    put16(m_out, 8); // deflated
    put16(m_out, 0);
    put16(m_out, kDosDate);
    put32(m_out, e.crc);
    put32(m_out, e.packedSize);
    put32(m_out, e.size);
    put16(m_out, quint16(e.name.size()));
    put16(m_out, 0);
    m_out += e.name;
    m_out += packed;
    m_entries << e;
}

QByteArray ZipWriter::finish()
{
    const quint32 directory = quint32(m_out.size());
    for (const Entry &e : m_entries) {
        put32(m_out, 0x02014b50);
        put16(m_out, 20);
        put16(m_out, 20);
        put16(m_out, kUtf8Names);
        put16(m_out, 8);
        put16(m_out, 0);
        put16(m_out, kDosDate);
        put32(m_out, e.crc);
        put32(m_out, e.packedSize);
        put32(m_out, e.size);
        put16(m_out, quint16(e.name.size()));
        put16(m_out, 0); // extra
        put16(m_out, 0); // comment
        put16(m_out, 0); // disk
        put16(m_out, 0); // internal attributes
        put32(m_out, 0); // external attributes
        put32(m_out, e.offset);
        m_out += e.name;
    }
    const quint32 directorySize = quint32(m_out.size()) - directory;
    put32(m_out, 0x06054b50);
    put16(m_out, 0);
    put16(m_out, 0);
    put16(m_out, quint16(m_entries.size()));
    put16(m_out, quint16(m_entries.size()));
    put32(m_out, directorySize);
    put32(m_out, directory);
    put16(m_out, 0);
    m_entries.clear();
    return std::exchange(m_out, QByteArray());
}

} // namespace platform
