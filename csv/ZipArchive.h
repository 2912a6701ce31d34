// TZipArchive: the little of the ZIP format a Tellico data file needs. It
// writes members deflated (zlib's raw deflate) with their CRC-32, an UTF-8
// name flag and a central directory, as every unzip reads them; it reads one
// member, stored or deflated, back from an archive of untrusted bytes: every
// offset and size is checked against the archive before use, the unpacked
// size is bounded, the CRC-32 compared, and encrypted, split and ZIP64
// archives are refused.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class TZipArchive {
public:
    struct TMember {
        QString Name;
        QByteArray Data;
    };

    static QByteArray Write(const std::vector<TMember>& members);

    // The unpacked data of the member named name. Raises ECsvRefusal naming
    // what is wrong when the archive is malformed, the member is missing or
    // would unpack to more than maxSize bytes.
    static QByteArray Read(const QByteArray& archive, const QString& name, qint64 maxSize);

    // Whether bytes begin as a ZIP archive does.
    static bool LooksLikeZip(const QByteArray& bytes) { return bytes.startsWith("PK\x03\x04"); }
};
