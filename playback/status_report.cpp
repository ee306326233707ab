#include "status_report.h"

#include "text/network_text.h"

namespace qv::playback {

std::optional<StatusReport> StatusReport::bufferingLeft(int percentLeft) {
  if (percentLeft <= 0 || percentLeft > 100) {
    return std::nullopt;
  }
  return buffering(100 - percentLeft);
}

StatusReport StatusReport::serverStatus(QByteArrayView headerBlock) {
  qsizetype end = 0;
  while (end < headerBlock.size() && headerBlock[end] != '\r' && headerBlock[end] != '\n' && headerBlock[end] != '\0') {
    ++end;
  }
  return {ReportCode::ServerStatus, 0, qv::text::decodeNetworkText(headerBlock.first(end))};
}

}  // namespace qv::playback
