#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The program's version information. ELF executables have no version
// resource, so the build puts a text block into a section of the executable
// (".quillmar_version") and it is read back from the file on disk:
//
//   Translation=080403A8
//   ProductName=...
//   ...
//
// Each "key=value" line belongs to the translation named by the last
// "Translation=" line before it.

// Entries of a version block, one per value, keyed by their lookup path
// "StringFileInfo\<translation>\<key>".
using VersionBlock = QList<std::pair<QString, QString>>;

inline constexpr char VersionSectionName[] = ".quillmar_version";

// The block of the given ELF64 executable; nullopt when the file cannot be
// read, is no little-endian ELF64 file, is damaged, or has no such section.
std::optional<VersionBlock> readVersionBlock(const QString &executablePath);

// Parses the text of a block (UTF-8, up to the first zero byte).
VersionBlock parseVersionBlock(const QByteArray &text);

// Looks up a path such as "StringFileInfo\080403A8\ProductName", ignoring
// letter case; nullopt when the block has no such value.
std::optional<QString> queryVersionValue(const VersionBlock &block, const QString &path);
