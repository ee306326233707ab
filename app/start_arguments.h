#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

//! The player's command line and the message a second start hands to the running player. Both
//! sides check every request the same way, so what the running player does with a handed-over
//! request is what it would have done with it on its own command line.
namespace qv::app {

enum class RequestKind : std::uint8_t {
  //! A playlist file the import reads (or a ZIP of them), by its absolute path.
  PlaylistFile,
  //! An http or https stream link, played at once outside the station list.
  StreamLink,
  //! The desktop entry's actions: play/stop and next, without raising the window.
  PlayStop,
  Next,
};

struct StartRequest {
  RequestKind kind = RequestKind::PlaylistFile;
  QString value;  // the file's absolute path or the link; empty for the actions

  bool operator==(const StartRequest&) const = default;
};

struct StartArguments {
  std::vector<StartRequest> requests;
  bool showHelp = false;
  bool showVersion = false;
  //! Why the command line was refused; empty when it was not.
  QString error;
};

//! Reads the arguments after the program name. Files are taken relative to `workingFolder`;
//! `file:` URLs (as a file manager passes them) are local files. The first argument that is no
//! readable playlist file, no http/https link and no known option refuses the whole command line.
StartArguments parseStartArguments(const QStringList& arguments, const QString& workingFolder);

//! The request for one argument, or the reason it is refused.
struct CheckedArgument {
  std::optional<StartRequest> request;
  QString error;
};
CheckedArgument checkArgument(const QString& argument, const QString& workingFolder);

//! The text `--help` prints.
QString helpText();

//! The requests as the hand-over sends them, and back. A message that is not one (too long,
//! unknown version, malformed) decodes to nothing; each request in it is checked again as on
//! the command line, and one that fails the check is dropped.
QByteArray encodeRequests(const std::vector<StartRequest>& requests);
std::optional<std::vector<StartRequest>> decodeRequests(const QByteArray& message);

//! The largest message the hand-over accepts.
inline constexpr qsizetype kMaxRequestMessageBytes = 1024 * 1024;

}  // namespace qv::app
