#include "csv/CsvInput.h"

#include "csv/CsvColumns.h"
#include "csv/CsvFormulas.h"
#include "csv/CsvReader.h"
#include "csv/ECsvRefusal.h"
#include "csv/TellicoFile.h"
#include "platform/Cp1252.h"

#include <QFile>
#include <QStringDecoder>

#include <cstdio>

namespace {

QByteArray ReadBytes(const QString& file)
{
    QByteArray data;
    const auto tooLarge = [&] {
        throw ECsvRefusal(TCsvInput::Name(file) + ": larger than " +
                          std::to_string(TCsvInput::MaxInputBytes / (1024 * 1024)) +
                          " MB, far more than a catalogue of 1499 books holds; nothing imported");
    };
    if (file == u"-") {
        char buffer[65536];
        size_t read = 0;
        while ((read = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
            data.append(buffer, static_cast<qsizetype>(read));
            if (data.size() > TCsvInput::MaxInputBytes)
                tooLarge();
        }
        if (std::ferror(stdin))
            throw ECsvRefusal("cannot read standard input");
        return data;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw ECsvRefusal(TCsvInput::Name(file) + ": cannot open the file: " + in.errorString().toStdString());
    data = in.read(TCsvInput::MaxInputBytes + 1);
    if (in.error() != QFileDevice::NoError)
        throw ECsvRefusal(TCsvInput::Name(file) + ": cannot read the file: " + in.errorString().toStdString());
    if (data.size() > TCsvInput::MaxInputBytes)
        tooLarge();
    return data;
}

// The line of the first byte at or after offset.
int LineAt(const QByteArray& bytes, qsizetype offset)
{
    return static_cast<int>(bytes.left(offset).count('\n')) + 1;
}

bool IsUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    // The bytes are decoded when the result becomes a QString; only the
    // decoder's error flag is wanted here.
    static_cast<void>(QString(decoder.decode(bytes)));
    return !decoder.hasError();
}

QString DecodeUtf16(const QString& file, QByteArray bytes)
{
    const bool little = bytes.startsWith("\xFF\xFE");
    bytes.remove(0, 2);
    QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                           QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || bytes.size() % 2 != 0)
        throw ECsvRefusal(TCsvInput::Name(file) +
                          ": begins as UTF-16 text (a byte order mark) but is not whole UTF-16; nothing imported");
    return text;
}

QString DecodeUtf32(const QString& file, QByteArray bytes)
{
    const bool little = bytes.startsWith("\xFF\xFE");
    bytes.remove(0, 4);
    QStringDecoder decoder(little ? QStringDecoder::Utf32LE : QStringDecoder::Utf32BE,
                           QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || bytes.size() % 4 != 0)
        throw ECsvRefusal(TCsvInput::Name(file) +
                          ": begins as UTF-32 text (a byte order mark) but is not whole UTF-32; nothing imported");
    return text;
}

// An 8-bit encoding was asked for: text that is valid UTF-8 and holds letters
// of more than one byte is UTF-8, and reading it byte by byte would store
// "CafÃ©" for "Café".
void RefuseUtf8As8Bit(const QString& file, const QByteArray& bytes, const char* asked)
{
    qsizetype first = -1;
    for (qsizetype i = 0; i < bytes.size() && first < 0; ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            first = i;
    if (first < 0 || !IsUtf8(bytes))
        return;
    throw ECsvRefusal(TCsvInput::Name(file) + ": line " + std::to_string(LineAt(bytes, first)) +
                      ": this is UTF-8 text, not " + asked + " (read as " + asked +
                      " its letters would turn into others); import it without --encoding " +
                      QString::fromLatin1(asked).toLower().toStdString() + "; nothing imported");
}

[[noreturn]] void RefuseNotUtf8(const QString& file, const QByteArray& bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    qsizetype line = 0;
    while (line + 1 < lines.size() && IsUtf8(lines[line]))
        ++line;
    throw ECsvRefusal(TCsvInput::Name(file) + ": line " + std::to_string(line + 1) +
                      ": not UTF-8 text (for a file in the Windows character set, add --encoding windows-1252); "
                      "nothing imported");
}

// The header row of text, split at its own separator.
std::vector<QString> HeaderOf(const QString& text)
{
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
        ++end;
    try {
        const std::vector<TCsvRecord> records = TCsvReader::Parse(text.left(end), TCsvReader::Separator(text));
        if (!records.empty())
            return records.front().Fields;
    } catch (const ECsvRefusal&) {
    }
    return {};
}

bool IsLibraryThing(const std::vector<QString>& header)
{
    for (const QString& name : header) {
        const QString folded = name.trimmed().toCaseFolded();
        if (folded == u"primary author" || folded == u"sort character")
            return true;
    }
    return false;
}

// The length of the well-formed UTF-8 sequence of more than one byte at i,
// or 0.
int Utf8Sequence(const QByteArray& bytes, qsizetype i)
{
    const auto at = [&bytes](qsizetype k) { return k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0; };
    const auto continuation = [&at](qsizetype k) { return at(k) >= 0x80 && at(k) <= 0xBF; };
    const unsigned char lead = at(i), second = at(i + 1);
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(i + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const bool secondOk = lead == 0xE0   ? second >= 0xA0 && second <= 0xBF
                              : lead == 0xED ? second >= 0x80 && second <= 0x9F // no surrogates
                                             : continuation(i + 1);
        return secondOk && continuation(i + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const bool secondOk = lead == 0xF0   ? second >= 0x90 && second <= 0xBF
                              : lead == 0xF4 ? second >= 0x80 && second <= 0x8F
                                             : continuation(i + 1);
        return secondOk && continuation(i + 2) && continuation(i + 3) ? 4 : 0;
    }
    return 0;
}

// Text that is not UTF-8, read as the program whose header it has writes it:
// its UTF-8 letters as UTF-8 (LibraryThing's export is UTF-8 with a stray
// byte here and there), every other byte in the program's 8-bit encoding.
QString DecodeByHeader(const QString& file, const QByteArray& bytes, const TAlias& aliases, std::string& described)
{
    // The headers are ASCII in every encoding these programs use.
    const std::vector<QString> header = HeaderOf(QString::fromLatin1(bytes));
    if (header.empty() || TCsvColumns(header, aliases).ColumnsOf(0).empty())
        RefuseNotUtf8(file, bytes);
    const bool libraryThing = IsLibraryThing(header);
    QString text;
    text.reserve(bytes.size());
    qsizetype letters = 0, stray = 0, firstStray = -1;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (const int length = byte >= 0x80 ? Utf8Sequence(bytes, i) : 0; length > 0) {
            text += QString::fromUtf8(bytes.constData() + i, length);
            ++letters;
            i += length;
            continue;
        }
        if (byte >= 0x80 && stray++ == 0)
            firstStray = i;
        text += libraryThing ? QChar(byte) : QChar(Cp1252::ToUnicode(byte));
        ++i;
    }
    const std::string encoding = libraryThing ? "ISO-8859-1" : "Windows-1252";
    const std::string why = libraryThing ? "LibraryThing writes its export so" : "spreadsheets on Windows save so";
    if (letters == 0)
        described = encoding + " (not UTF-8; " + why + ")";
    else
        described = "UTF-8 with " + std::to_string(stray) + (stray == 1 ? " byte" : " bytes") +
                    " that UTF-8 has not (the first on line " + std::to_string(LineAt(bytes, firstStray)) +
                    ") read as " + encoding + " (" + why + ")";
    return text;
}

QString Decode(const QString& file, QByteArray bytes, TCsvEncoding encoding, const TAlias& aliases,
               std::string& described)
{
    // A byte order mark says what the text is, whatever was asked; UTF-32's
    // little-endian mark begins as UTF-16's does.
    if (bytes.startsWith(QByteArray("\xFF\xFE\0\0", 4)) || bytes.startsWith(QByteArray("\0\0\xFE\xFF", 4))) {
        described = "UTF-32";
        return DecodeUtf32(file, std::move(bytes));
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        described = "UTF-16";
        return DecodeUtf16(file, std::move(bytes));
    }
    if (const qsizetype zero = bytes.indexOf('\0'); zero >= 0) {
        // UTF-16 without its mark has a zero byte beside every ASCII
        // letter; a zero here and there is a damaged or binary file.
        const QByteArray start = bytes.left(4096);
        const bool utf16 = start.count('\0') * 4 >= start.size();
        throw ECsvRefusal(TCsvInput::Name(file) + ": line " + std::to_string(LineAt(bytes, zero)) +
                          (utf16 ? ": holds zero bytes, as UTF-16 text without a byte order mark does; save it as "
                                   "UTF-8; nothing imported"
                                 : ": holds a zero byte, which no text holds (a damaged file, or no text at all); "
                                   "nothing imported"));
    }
    switch (encoding) {
    case TCsvEncoding::Windows1252:
        RefuseUtf8As8Bit(file, bytes, "Windows-1252");
        described = "Windows-1252";
        return Cp1252::ToQString(bytes.toStdString());
    case TCsvEncoding::Latin1:
        RefuseUtf8As8Bit(file, bytes, "ISO-8859-1");
        described = "ISO-8859-1";
        return QString::fromLatin1(bytes);
    case TCsvEncoding::Utf8:
    case TCsvEncoding::Automatic:
        break;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (!decoder.hasError()) {
        described = "UTF-8";
        return text;
    }
    if (encoding == TCsvEncoding::Utf8)
        RefuseNotUtf8(file, bytes);
    return DecodeByHeader(file, bytes, aliases, described);
}

} // namespace

std::string TCsvInput::Name(const QString& file)
{
    return file == u"-" ? std::string("standard input") : file.toStdString();
}

TCsvInputRows TCsvInput::Read(const QString& file, TCsvEncoding encoding, const TAlias& aliases)
{
    return FromBytes(file, ReadBytes(file), encoding, aliases);
}

TCsvInputRows TCsvInput::FromBytes(const QString& file, QByteArray bytes, TCsvEncoding encoding, const TAlias& aliases)
{
    TCsvInputRows rows;
    if (TTellicoFile::Is(bytes)) {
        try {
            rows.Records = TTellicoFile::Rows(bytes);
        } catch (const ECsvRefusal& malformed) {
            throw ECsvRefusal(Name(file) + ": " + malformed.Message + "; nothing imported");
        }
        rows.Described = "a Tellico data file";
        return rows;
    }
    const QString text = Decode(file, std::move(bytes), encoding, aliases, rows.Described);
    const QChar separator = TCsvReader::Separator(text);
    rows.Described += std::string(", columns separated by ") + TCsvReader::SeparatorName(separator);
    try {
        rows.Records = TCsvReader::Parse(text, separator);
    } catch (const ECsvRefusal& malformed) {
        throw ECsvRefusal(Name(file) + ": " + malformed.Message + "; nothing imported");
    }
    for (TCsvRecord& record : rows.Records)
        for (QString& field : record.Fields)
            field = TCsvFormulas::Restored(field);
    if (rows.Records.empty())
        throw ECsvRefusal(Name(file) + ": no header row; nothing imported");
    return rows;
}
