// The hand-over message a second start sends to the running player, on arbitrary bytes. Whatever
// comes through is a request that would pass the command line's own checks.
#include "start_arguments.h"

#include <QDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray message(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const auto requests = qv::app::decodeRequests(message);
  if (!requests) {
    return 0;
  }
  for (const qv::app::StartRequest& request : *requests) {
    const bool action = request.kind == qv::app::RequestKind::PlayStop || request.kind == qv::app::RequestKind::Next;
    if (action != request.value.isEmpty() ||
        (request.kind == qv::app::RequestKind::PlaylistFile && !QDir::isAbsolutePath(request.value))) {
      std::abort();
    }
  }
  // What decodes encodes to a message that decodes the same.
  if (qv::app::decodeRequests(qv::app::encodeRequests(*requests)) != requests) {
    std::abort();
  }
  return 0;
}
