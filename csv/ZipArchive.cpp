#include "csv/ZipArchive.h"

#include "csv/ECsvRefusal.h"

#include <zlib.h>

#include <cstdint>

namespace {

constexpr uint32_t LocalSignature = 0x04034b50, CentralSignature = 0x02014b50, EndSignature = 0x06054b50;
constexpr uint16_t Version = 20;       // 2.0: deflate
constexpr uint16_t Utf8Names = 0x0800; // general purpose flag bit 11
constexpr uint16_t Stored = 0, Deflated = 8;
// 1980-01-01 (the year counted from 1980, the month, the day), as no time is worth keeping.
constexpr uint16_t DosDate = (1 << 5) | 1;
constexpr qsizetype LocalHeaderSize = 30, CentralHeaderSize = 46, EndSize = 22;

void Put16(QByteArray& out, uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(QByteArray& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

uint32_t Crc32(const QByteArray& data)
{
    return static_cast<uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data.constData()), static_cast<uInt>(data.size())));
}

QByteArray Deflate(const QByteArray& data)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw ECsvRefusal("cannot start the compression of the Tellico file");
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    const uLong written = stream.total_out;
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw ECsvRefusal("cannot compress the Tellico file");
    out.truncate(static_cast<qsizetype>(written));
    return out;
}

[[noreturn]] void Malformed(const std::string& what)
{
    throw ECsvRefusal("not a readable ZIP archive: " + what);
}

// Little-endian reads that fail on a read past the end.
struct TBytes {
    const QByteArray& Data;
    uint32_t At(qsizetype offset, int size) const
    {
        if (offset < 0 || offset + size > Data.size())
            Malformed("a record runs past the end of the file");
        uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(Data[offset + i]);
        return value;
    }
    uint32_t U16(qsizetype offset) const { return At(offset, 2); }
    uint32_t U32(qsizetype offset) const { return At(offset, 4); }
};

QByteArray Inflate(const QByteArray& packed, qint64 unpackedSize, const std::string& name)
{
    QByteArray out(static_cast<qsizetype>(unpackedSize), '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        Malformed("cannot start decompression");
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    // Output room for exactly the size the directory names: data that would
    // unpack to more stops with the buffer full, never beyond it.
    const int result = inflate(&stream, Z_FINISH);
    const uLong written = stream.total_out;
    inflateEnd(&stream);
    if (result != Z_STREAM_END || written != static_cast<uLong>(unpackedSize))
        Malformed(name + ": the compressed data is damaged or not of the size its directory names");
    return out;
}

} // namespace

QByteArray TZipArchive::Write(const std::vector<TMember>& members)
{
    QByteArray out, directory;
    for (const TMember& member : members) {
        const QByteArray name = member.Name.toUtf8();
        const QByteArray packed = Deflate(member.Data);
        const uint32_t crc = Crc32(member.Data);
        const auto offset = static_cast<uint32_t>(out.size());
        const auto header = [&](QByteArray& to, bool central) {
            Put32(to, central ? CentralSignature : LocalSignature);
            if (central)
                Put16(to, Version); // made by: MS-DOS attributes, version 2.0
            Put16(to, Version);
            Put16(to, Utf8Names);
            Put16(to, Deflated);
            Put16(to, 0); // time
            Put16(to, DosDate);
            Put32(to, crc);
            Put32(to, static_cast<uint32_t>(packed.size()));
            Put32(to, static_cast<uint32_t>(member.Data.size()));
            Put16(to, static_cast<uint32_t>(name.size()));
            Put16(to, 0); // extra field
            if (central) {
                Put16(to, 0); // comment
                Put16(to, 0); // disk
                Put16(to, 0); // internal attributes
                Put32(to, 0); // external attributes
                Put32(to, offset);
            }
            to += name;
        };
        header(out, false);
        out += packed;
        header(directory, true);
    }
    const auto directoryOffset = static_cast<uint32_t>(out.size());
    out += directory;
    Put32(out, EndSignature);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(members.size()));
    Put16(out, static_cast<uint32_t>(members.size()));
    Put32(out, static_cast<uint32_t>(directory.size()));
    Put32(out, directoryOffset);
    Put16(out, 0); // comment
    return out;
}

QByteArray TZipArchive::Read(const QByteArray& archive, const QString& name, qint64 maxSize)
{
    const TBytes bytes{archive};
    // The end record is last, followed only by a comment of at most 65535 bytes.
    qsizetype end = archive.size() - EndSize;
    const qsizetype lowest = std::max<qsizetype>(0, archive.size() - EndSize - 0xFFFF);
    while (end >= lowest && bytes.U32(end) != EndSignature)
        --end;
    if (end < lowest)
        Malformed("no end of central directory");
    if (bytes.U16(end + 4) != 0 || bytes.U16(end + 6) != 0)
        Malformed("split over several files");
    const uint32_t count = bytes.U16(end + 10);
    const qsizetype directorySize = bytes.U32(end + 12), directoryOffset = bytes.U32(end + 16);
    if (directoryOffset + directorySize > end)
        Malformed("the central directory lies outside the file");
    const QByteArray wanted = name.toUtf8();
    qsizetype at = directoryOffset;
    for (uint32_t i = 0; i < count; ++i) {
        if (at + CentralHeaderSize > directoryOffset + directorySize || bytes.U32(at) != CentralSignature)
            Malformed("a damaged central directory");
        const uint32_t flags = bytes.U16(at + 8), method = bytes.U16(at + 10), crc = bytes.U32(at + 16);
        const uint32_t packedSize = bytes.U32(at + 20), unpackedSize = bytes.U32(at + 24);
        const qsizetype nameLength = bytes.U16(at + 28), extraLength = bytes.U16(at + 30),
                        commentLength = bytes.U16(at + 32);
        const qsizetype localOffset = bytes.U32(at + 42);
        if (at + CentralHeaderSize + nameLength > archive.size())
            Malformed("a name runs past the end of the file");
        const QByteArray memberName = archive.mid(at + CentralHeaderSize, nameLength);
        at += CentralHeaderSize + nameLength + extraLength + commentLength;
        if (memberName != wanted)
            continue;
        if (flags & 1)
            Malformed(wanted.toStdString() + " is encrypted");
        if (packedSize == 0xFFFFFFFF || unpackedSize == 0xFFFFFFFF || localOffset == 0xFFFFFFFF)
            Malformed("ZIP64 is not read");
        if (unpackedSize > maxSize)
            Malformed(wanted.toStdString() + " would unpack to " + std::to_string(unpackedSize) + " bytes, more than " +
                      std::to_string(maxSize));
        if (bytes.U32(localOffset) != LocalSignature)
            Malformed("a damaged local header");
        const qsizetype data =
            localOffset + LocalHeaderSize + bytes.U16(localOffset + 26) + bytes.U16(localOffset + 28);
        if (data + qsizetype(packedSize) > directoryOffset)
            Malformed(wanted.toStdString() + " runs past its place in the file");
        const QByteArray packed = archive.mid(data, packedSize);
        QByteArray unpacked;
        if (method == Stored) {
            if (packedSize != unpackedSize)
                Malformed(wanted.toStdString() + " is stored with two different sizes");
            unpacked = packed;
        } else if (method == Deflated) {
            unpacked = Inflate(packed, unpackedSize, wanted.toStdString());
        } else {
            Malformed(wanted.toStdString() + " is compressed by method " + std::to_string(method) +
                      " (only stored and deflated are read)");
        }
        if (Crc32(unpacked) != crc)
            Malformed(wanted.toStdString() + " does not match its checksum");
        return unpacked;
    }
    throw ECsvRefusal("the ZIP archive holds no " + wanted.toStdString());
}
