#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace platform {

// A ZIP archive built in memory, as office documents are packaged: each part
// deflated, names in UTF-8, no folders of their own.
class ZipWriter {
public:
    void add(const QString &name, const QByteArray &data);
    // The whole archive; the writer is empty afterwards.
    QByteArray finish();

private:
    struct Entry {
        QByteArray name;
        quint32 crc = 0;
        quint32 size = 0;
        quint32 packedSize = 0;
        quint32 offset = 0;
    };
    QByteArray m_out;
    QVector<Entry> m_entries;
};

} // namespace platform
