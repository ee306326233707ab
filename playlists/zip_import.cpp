#include "zip_import.h"

#include "playlist_readers.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

namespace qv::playlists {
namespace {

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct MemberCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using MemberFile = std::unique_ptr<zip_file_t, MemberCloser>;

bool isDeviceName(QStringView segment) {
  // The part before the first dot, without the blanks and dots the platform strips.
  QStringView base =
      segment.first(segment.indexOf(QLatin1Char('.')) < 0 ? segment.size() : segment.indexOf(QLatin1Char('.')));
  while (!base.isEmpty() && (base.back() == QLatin1Char(' ') || base.back() == QLatin1Char('.'))) {
    base.chop(1);
  }
  static const char* const names[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* name : names) {
    if (base.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
      return true;
    }
  }
  return base.size() == 4 &&
         (base.startsWith(u"COM", Qt::CaseInsensitive) || base.startsWith(u"LPT", Qt::CaseInsensitive)) &&
         base[3] >= QLatin1Char('0') && base[3] <= QLatin1Char('9');
}

QString tooManyMembers(std::uint64_t count) {
  return QStringLiteral("it has %1 members, more than the %2 allowed").arg(count).arg(kMaxZipMembers);
}

ZipListing listArchive(zip_t* archive) {
  ZipListing listing;
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  if (count > kMaxZipMembers) {
    listing.error = tooManyMembers(static_cast<std::uint64_t>(count));
    return listing;
  }
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)) {
      listing.error = QStringLiteral("member %1 cannot be read").arg(i + 1);
      return listing;
    }
    ZipMember member;
    member.index = i;
    member.name = QString::fromUtf8(stat.name);
    member.folder = member.name.endsWith(QLatin1Char('/'));
    const QString path = member.folder ? member.name.chopped(1) : member.name;
    member.nested = path.contains(QLatin1Char('/'));
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, static_cast<zip_uint64_t>(i), 0, &system, &attributes) == 0 &&
        system == ZIP_OPSYS_UNIX) {
      constexpr zip_uint32_t kTypeMask = 0170000;
      constexpr zip_uint32_t kLinkType = 0120000;
      member.symbolicLink = ((attributes >> 16) & kTypeMask) == kLinkType;
    }
    const bool encrypted = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
    const bool knownMethod =
        !(stat.valid & ZIP_STAT_COMP_METHOD) || zip_compression_method_supported(stat.comp_method, 0);
    member.unreadable = encrypted || !knownMethod;
    if (member.symbolicLink) {
      listing.error = QStringLiteral("member \"%1\" is a symbolic link").arg(member.name);
      return listing;
    }
    const QStringList segments = path.split(QLatin1Char('/'));
    for (const QString& segment : segments) {
      if (!isSafeMemberName(segment)) {
        listing.error =
            QStringLiteral("member \"%1\" has a name that could be written outside the folder").arg(member.name);
        return listing;
      }
    }
    listing.members.push_back(std::move(member));
  }
  return listing;
}

std::uint64_t readLittleEndian(const QByteArray& bytes, qsizetype at, int size) {
  std::uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
  }
  return value;
}

// The member count that the archive's end record declares. libzip reads every member's entry
// before it tells the count, seconds for a million tiny members; this look at the end record alone
// lets such an archive be refused at once. Nothing when no end record is found (libzip then says
// what is wrong) or the record is not whole.
std::optional<std::uint64_t> declaredMemberCount(const QByteArray& bytes) {
  constexpr qsizetype kEndRecordSize = 22;
  constexpr qsizetype kLongestComment = 0xFFFF;
  constexpr qsizetype kZip64LocatorSize = 20;
  constexpr qsizetype kZip64RecordSize = 56;
  const qsizetype lowest = std::max<qsizetype>(0, bytes.size() - kEndRecordSize - kLongestComment);
  for (qsizetype at = bytes.size() - kEndRecordSize; at >= lowest; --at) {
    if (readLittleEndian(bytes, at, 4) != 0x06054b50) {
      continue;
    }
    const std::uint64_t count = readLittleEndian(bytes, at + 10, 2);
    const qsizetype locator = at - kZip64LocatorSize;
    if (count != 0xFFFF || locator < 0 || readLittleEndian(bytes, locator, 4) != 0x07064b50) {
      return count;
    }
    // A ZIP64 archive keeps the true count in its own end record, which the locator names.
    const std::uint64_t record = readLittleEndian(bytes, locator + 8, 8);
    if (record > static_cast<std::uint64_t>(bytes.size() - kZip64RecordSize) ||
        readLittleEndian(bytes, static_cast<qsizetype>(record), 4) != 0x06064b50) {
      return std::nullopt;
    }
    return readLittleEndian(bytes, static_cast<qsizetype>(record) + 32, 8);
  }
  return std::nullopt;
}

// The archive is read from memory: one way in for files and fuzzing, and no 8-bit path to get
// wrong on any platform. `bytes` must outlive the archive.
Archive openArchive(const QByteArray& bytes, QString& error) {
  if (const std::optional<std::uint64_t> count = declaredMemberCount(bytes);
      count && *count > static_cast<std::uint64_t>(kMaxZipMembers)) {
    error = tooManyMembers(*count);
    return nullptr;
  }
  zip_error_t zipError;
  zip_error_init(&zipError);
  zip_source_t* source =
      zip_source_buffer_create(bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &zipError);
  Archive archive(source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &zipError) : nullptr);
  if (!archive) {
    if (source) {
      zip_source_free(source);
    }
    error = QString::fromUtf8(zip_error_strerror(&zipError));
  }
  zip_error_fini(&zipError);
  return archive;
}

// Copies one member, counting what is inflated, not what the archive claims.
QString writeMember(zip_t* archive, const ZipMember& member, const QString& target, qint64& unpacked) {
  MemberFile in(zip_fopen_index(archive, static_cast<zip_uint64_t>(member.index), 0));
  if (!in) {
    return QStringLiteral("member \"%1\" cannot be unpacked: %2")
        .arg(member.name, QString::fromUtf8(zip_strerror(archive)));
  }
  QFile out(target);
  if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
    return QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(target), out.errorString());
  }
  char buffer[64 * 1024];
  for (;;) {
    const zip_int64_t got = zip_fread(in.get(), buffer, sizeof buffer);
    if (got < 0) {
      return QStringLiteral("member \"%1\" is damaged: %2")
          .arg(member.name, QString::fromUtf8(zip_file_strerror(in.get())));
    }
    if (got == 0) {
      // The last buffered bytes reach the disk only here: a full disk must not leave a cut member.
      const bool flushed = out.flush();
      out.close();
      if (!flushed || out.error() != QFileDevice::NoError) {
        return QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(target), out.errorString());
      }
      return QString();
    }
    unpacked += got;
    if (unpacked > kMaxZipUnpackedBytes) {
      return QStringLiteral("it unpacks to more than %1 MiB").arg(kMaxZipUnpackedBytes >> 20);
    }
    if (out.write(buffer, got) != got) {
      return QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(target), out.errorString());
    }
  }
}

}  // namespace

bool isSafeMemberName(const QString& name) {
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || isDeviceName(name)) {
    return false;
  }
  // What a Windows file system refuses, plus the separators that would leave the folder.
  static const QString refused = QStringLiteral("\\/:*?\"<>|");
  for (const QChar c : name) {
    if (c.unicode() < 0x20 || refused.contains(c)) {
      return false;
    }
  }
  return !name.endsWith(QLatin1Char(' ')) && !name.endsWith(QLatin1Char('.'));
}

ZipListing listZipBytes(const QByteArray& bytes) {
  ZipListing listing;
  const Archive archive = openArchive(bytes, listing.error);
  return archive ? listArchive(archive.get()) : listing;
}

ZipExtraction extractZip(const QString& zipPath, const QString& folder) {
  ZipExtraction result;
  const QString shown = QDir::toNativeSeparators(zipPath.trimmed());
  const auto refuse = [&](const QString& why) {
    QDir(folder).removeRecursively();
    result.files.clear();
    result.error = QStringLiteral("The archive %1 is not imported: %2.").arg(shown, why);
    return result;
  };
  // Files left from an earlier import must not be imported with this archive.
  if (!QDir(folder).removeRecursively() || !QDir().mkpath(folder)) {
    return refuse(QStringLiteral("the folder %1 cannot be prepared").arg(QDir::toNativeSeparators(folder)));
  }
  QFile file(zipPath.trimmed());
  if (!file.open(QIODevice::ReadOnly)) {
    return refuse(file.errorString());
  }
  if (file.size() > kMaxZipFileBytes) {
    return refuse(QStringLiteral("it is larger than %1 MiB").arg(kMaxZipFileBytes >> 20));
  }
  const QByteArray bytes = file.readAll();
  QString openError;
  const Archive archive = openArchive(bytes, openError);
  if (!archive) {
    return refuse(openError);
  }
  const ZipListing listing = listArchive(archive.get());
  if (!listing.error.isEmpty()) {
    return refuse(listing.error);
  }
  qint64 unpacked = 0;
  QSet<QString> written;  // folded, since a file system may ignore letter case
  for (const ZipMember& member : listing.members) {
    if (member.folder || member.nested || readerForFile(member.name) == ReaderKind::Zip) {
      continue;
    }
    if (member.unreadable) {
      result.skipped.append(member.name);
      continue;
    }
    if (written.contains(member.name.toCaseFolded())) {
      continue;
    }
    const QString target = folder + QLatin1Char('/') + member.name;
    if (const QString error = writeMember(archive.get(), member, target, unpacked); !error.isEmpty()) {
      return refuse(error);
    }
    written.insert(member.name.toCaseFolded());
    result.files.append(target);
  }
  return result;
}

QString skippedMembersMessage(const QString& zipPath, const QStringList& skipped) {
  if (skipped.isEmpty()) {
    return QString();
  }
  return QStringLiteral(
             "These members of %1 are encrypted or packed in a way that cannot be read, and were left out: %2")
      .arg(QDir::toNativeSeparators(zipPath.trimmed()), skipped.join(QStringLiteral(", ")));
}

ScratchFolder::~ScratchFolder() {
  QDir(m_folder).removeRecursively();
}

}  // namespace qv::playlists
