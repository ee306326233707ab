#include "start_arguments.h"

#include "playlist_readers.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace qv::app {
namespace {

const QLatin1String kMessageHeader("quorventale-requests 1");
const QLatin1String kMessageEnd("end");

struct ActionOption {
  QLatin1String option;
  RequestKind kind;
};
const ActionOption kActionOptions[] = {
    {QLatin1String("--play-stop"), RequestKind::PlayStop},
    {QLatin1String("--next"), RequestKind::Next},
};

const char* wordOf(RequestKind kind) {
  switch (kind) {
    case RequestKind::PlaylistFile:
      return "file";
    case RequestKind::StreamLink:
      return "link";
    case RequestKind::PlayStop:
      return "play-stop";
    case RequestKind::Next:
      return "next";
  }
  return "next";
}

CheckedArgument refused(const QString& text) {
  return {std::nullopt, text};
}

CheckedArgument checkFile(const QString& argument, const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) {
    return refused(QStringLiteral("no such file: %1").arg(argument));
  }
  if (!info.isFile() || !info.isReadable()) {
    return refused(QStringLiteral("not a readable file: %1").arg(argument));
  }
  if (playlists::readerForFile(path) == playlists::ReaderKind::None) {
    return refused(
        QStringLiteral("not a playlist file (M3U, M3U8, TXT, PLS, INI, XSPF, XML or ZIP): %1").arg(argument));
  }
  return {StartRequest{RequestKind::PlaylistFile, QDir::cleanPath(info.absoluteFilePath())}, {}};
}

}  // namespace

CheckedArgument checkArgument(const QString& argument, const QString& workingFolder) {
  for (const ActionOption& action : kActionOptions) {
    if (argument == action.option) {
      return {StartRequest{action.kind, {}}, {}};
    }
  }
  if (argument.startsWith(QLatin1Char('-'))) {
    return refused(QStringLiteral("unknown option: %1").arg(argument));
  }
  // A scheme of two letters or more: "C:\..." stays a file name on Windows.
  const QUrl url(argument);
  if (url.isValid() && url.scheme().size() > 1) {
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
      if (url.host().isEmpty()) {
        return refused(QStringLiteral("a link without a server: %1").arg(argument));
      }
      return {StartRequest{RequestKind::StreamLink, url.toString(QUrl::FullyEncoded)}, {}};
    }
    if (scheme == QLatin1String("file")) {
      if (!url.isLocalFile() || !url.host().isEmpty()) {
        return refused(QStringLiteral("not a local file: %1").arg(argument));
      }
      return checkFile(argument, url.toLocalFile());
    }
    return refused(QStringLiteral("not a playlist file or an http/https link: %1").arg(argument));
  }
  if (argument.isEmpty()) {
    return refused(QStringLiteral("an empty argument"));
  }
  if (workingFolder.isEmpty() && !QDir::isAbsolutePath(argument)) {
    return refused(QStringLiteral("not an absolute path: %1").arg(argument));
  }
  return checkFile(argument, QDir(workingFolder).absoluteFilePath(argument));
}

StartArguments parseStartArguments(const QStringList& arguments, const QString& workingFolder) {
  StartArguments parsed;
  for (const QString& argument : arguments) {
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
      parsed.showHelp = true;
      continue;
    }
    if (argument == QLatin1String("--version")) {
      parsed.showVersion = true;
      continue;
    }
    CheckedArgument checked = checkArgument(argument, workingFolder);
    if (!checked.request) {
      parsed.error = checked.error;
      parsed.requests.clear();
      return parsed;
    }
    parsed.requests.push_back(std::move(*checked.request));
  }
  return parsed;
}

QString helpText() {
  return QStringLiteral(
      "Usage: quorventale [FILE|URL]...\n"
      "\n"
      "Plays internet radio stations. A player already running on the same profile takes the\n"
      "arguments instead, and this start ends.\n"
      "\n"
      "  FILE         a playlist to import (M3U, M3U8, TXT, PLS, INI, XSPF, XML or a ZIP of them);\n"
      "               the player asks whether to add its stations or replace the list\n"
      "  URL          an http or https stream to play now, outside the station list; the station\n"
      "               editor opens with it filled in, to add it to the list\n"
      "  --play-stop  play the current station, or stop\n"
      "  --next       play the next station\n"
      "  --version    print the version and exit\n"
      "  --help       print this text and exit\n");
}

QByteArray encodeRequests(const std::vector<StartRequest>& requests) {
  QByteArray message = QByteArray(kMessageHeader.data(), kMessageHeader.size()) + '\n';
  for (const StartRequest& request : requests) {
    message += wordOf(request.kind);
    if (!request.value.isEmpty()) {
      message += ' ' + QUrl::toPercentEncoding(request.value);
    }
    message += '\n';
  }
  return message + QByteArray(kMessageEnd.data(), kMessageEnd.size()) + '\n';
}

std::optional<std::vector<StartRequest>> decodeRequests(const QByteArray& message) {
  if (message.size() > kMaxRequestMessageBytes || !message.endsWith('\n')) {
    return std::nullopt;
  }
  const QList<QByteArray> lines = message.chopped(1).split('\n');
  if (lines.size() < 2 || lines.front() != QByteArray(kMessageHeader.data(), kMessageHeader.size()) ||
      lines.back() != QByteArray(kMessageEnd.data(), kMessageEnd.size())) {
    return std::nullopt;
  }
  std::vector<StartRequest> requests;
  for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
    const QByteArray& line = lines[i];
    const qsizetype space = line.indexOf(' ');
    const QByteArray word = space < 0 ? line : line.left(space);
    const QString value =
        space < 0 ? QString() : QString::fromUtf8(QByteArray::fromPercentEncoding(line.sliced(space + 1)));
    std::optional<StartRequest> request;
    if (word == "file" || word == "link") {
      // Checked again: the file may have gone meanwhile, and only an absolute path is taken.
      CheckedArgument checked = checkArgument(value, QString());
      const RequestKind wanted = word == "file" ? RequestKind::PlaylistFile : RequestKind::StreamLink;
      if (checked.request && checked.request->kind == wanted) {
        request = std::move(checked.request);
      }
    } else if (value.isEmpty()) {
      for (const ActionOption& action : kActionOptions) {
        if (word == wordOf(action.kind)) {
          request = StartRequest{action.kind, {}};
        }
      }
    }
    if (request) {
      requests.push_back(std::move(*request));
    }
  }
  return requests;
}

}  // namespace qv::app
