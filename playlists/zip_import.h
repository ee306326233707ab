#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

//! Unpacking a ZIP archive of playlists into the scratch folder, refusing anything that could
//! write outside it or fill the disk.
namespace qv::playlists {

inline constexpr qint64 kMaxZipUnpackedBytes = qint64{64} << 20;
inline constexpr qint64 kMaxZipMembers = 10000;
//! The archive file itself; it is read whole.
inline constexpr qint64 kMaxZipFileBytes = qint64{128} << 20;

//! One member as the archive lists it.
struct ZipMember {
  qint64 index = 0;
  QString name;
  bool folder = false;
  bool symbolicLink = false;
  //! Encrypted, or packed with a method the reader does not know.
  bool unreadable = false;
  //! In a folder of the archive: unpacked nowhere, since only the top level is imported.
  bool nested = false;
};

struct ZipListing {
  std::vector<ZipMember> members;
  //! Empty when the archive can be unpacked; otherwise why it is refused.
  QString error;
};

//! Whether a member name may become a file name in the scratch folder: no absolute name, drive
//! letter, ".." segment, backslash, device name or character a file system refuses.
bool isSafeMemberName(const QString& name);

//! Lists an archive held in memory.
ZipListing listZipBytes(const QByteArray& bytes);

struct ZipExtraction {
  //! The playlists written directly into the folder, in archive order.
  QStringList files;
  //! Members left out because they are encrypted or packed in an unknown way.
  QStringList skipped;
  //! Empty on success; otherwise one message naming the archive, and nothing is left to import.
  QString error;
};

//! Empties `folder`, then writes the top-level plain members of the archive `zipPath` into it.
//! An unsafe name, a symbolic link, more than kMaxZipMembers members or more than
//! kMaxZipUnpackedBytes inflated refuse the whole archive. Archives inside are not written.
ZipExtraction extractZip(const QString& zipPath, const QString& folder);

//! The one message for skipped members, empty for none.
QString skippedMembersMessage(const QString& zipPath, const QStringList& skipped);

//! Removes `folder` with everything in it when it goes out of scope, also on an early return.
class ScratchFolder {
 public:
  explicit ScratchFolder(QString folder) : m_folder(std::move(folder)) {}
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  QString m_folder;
};

}  // namespace qv::playlists
