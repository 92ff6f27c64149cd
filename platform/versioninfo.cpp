#include "platform/versioninfo.h"

#include <QByteArrayView>
#include <QFile>
#include <QtEndian>

namespace {

// ELF64 layout, little-endian only (the platforms the program is built for).
constexpr qint64 FileHeaderSize = 64;
constexpr qint64 SectionHeaderSize = 64;
constexpr quint32 NoBits = 8;             // SHT_NOBITS: the section has no bytes in the file
constexpr quint32 ExtendedIndex = 0xffff; // SHN_XINDEX
// A version block is a few hundred bytes; anything much larger is not ours.
constexpr quint64 MaxBlockSize = 64 * 1024;

struct SectionHeader {
    quint32 name = 0;
    quint32 type = 0;
    quint64 offset = 0;
    quint64 size = 0;
    quint32 link = 0;
};

template <typename T>
T field(const QByteArray &bytes, qsizetype offset)
{
    return qFromLittleEndian<T>(bytes.constData() + offset);
}

// The caller guarantees that a whole header lies at offset.
SectionHeader sectionAt(const QByteArray &table, qsizetype offset)
{
    SectionHeader header;
    header.name = field<quint32>(table, offset);
    header.type = field<quint32>(table, offset + 4);
    header.offset = field<quint64>(table, offset + 24);
    header.size = field<quint64>(table, offset + 32);
    header.link = field<quint32>(table, offset + 40);
    return header;
}

// Exactly size bytes from offset, or nullopt when the file is shorter.
std::optional<QByteArray> readAt(QFile &file, quint64 offset, quint64 size)
{
    const quint64 fileSize = quint64(file.size());
    if (offset > fileSize || size > fileSize - offset || !file.seek(qint64(offset)))
        return std::nullopt;
    QByteArray bytes = file.read(qint64(size));
    if (quint64(bytes.size()) != size)
        return std::nullopt;
    return bytes;
}

} // namespace

std::optional<VersionBlock> readVersionBlock(const QString &executablePath)
{
    QFile file(executablePath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const auto header = readAt(file, 0, FileHeaderSize);
    if (!header
        || !header->startsWith("\x7f"
                               "ELF")
        || header->at(4) != 2 /* 64-bit */ || header->at(5) != 1 /* little-endian */)
        return std::nullopt;

    const quint64 tableOffset = field<quint64>(*header, 0x28);
    const quint16 entrySize = field<quint16>(*header, 0x3a);
    quint64 count = field<quint16>(*header, 0x3c);
    quint32 namesIndex = field<quint16>(*header, 0x3e);
    if (tableOffset == 0 || entrySize < SectionHeaderSize)
        return std::nullopt;
    // With very many sections the real count and names index live in section 0.
    if (count == 0 || namesIndex == ExtendedIndex) {
        const auto first = readAt(file, tableOffset, SectionHeaderSize);
        if (!first)
            return std::nullopt;
        const SectionHeader zero = sectionAt(*first, 0);
        if (count == 0)
            count = zero.size;
        if (namesIndex == ExtendedIndex)
            namesIndex = zero.link;
    }
    // The bound on count also keeps count * entrySize from overflowing.
    if (namesIndex >= count || count > quint64(file.size()) / entrySize)
        return std::nullopt;
    const auto table = readAt(file, tableOffset, count * entrySize);
    if (!table)
        return std::nullopt;

    const SectionHeader namesSection = sectionAt(*table, qsizetype(namesIndex) * entrySize);
    if (namesSection.type == NoBits)
        return std::nullopt;
    const auto names = readAt(file, namesSection.offset, namesSection.size);
    if (!names)
        return std::nullopt;

    const QByteArrayView wanted(VersionSectionName);
    for (quint64 i = 0; i < count; ++i) {
        const SectionHeader section = sectionAt(*table, qsizetype(i) * entrySize);
        if (section.name >= quint64(names->size()))
            continue;
        const char *name = names->constData() + section.name;
        const qsizetype length = qstrnlen(name, uint(names->size() - section.name));
        if (QByteArrayView(name, length) != wanted)
            continue;
        if (section.type == NoBits || section.size > MaxBlockSize)
            return std::nullopt;
        const auto content = readAt(file, section.offset, section.size);
        if (!content)
            return std::nullopt;
        return parseVersionBlock(*content);
    }
    return std::nullopt;
}

VersionBlock parseVersionBlock(const QByteArray &text)
{
    const qsizetype end = text.indexOf('\0');
    const QString content = QString::fromUtf8(end < 0 ? text : text.left(end));
    VersionBlock block;
    QString translation;
    for (QString line : content.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals);
        const QString value = line.mid(equals + 1);
        if (key.compare(QLatin1String("Translation"), Qt::CaseInsensitive) == 0)
            translation = value;
        else if (!translation.isEmpty()) // values outside a translation cannot be looked up
            block.append({QStringLiteral("StringFileInfo\\%1\\%2").arg(translation, key), value});
    }
    return block;
}

std::optional<QString> queryVersionValue(const VersionBlock &block, const QString &path)
{
    for (const auto &[entryPath, value] : block) {
        if (entryPath.compare(path, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}
