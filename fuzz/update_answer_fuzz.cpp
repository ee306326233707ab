// The update answer reader on arbitrary bodies; the first byte chooses the status and the charset
// named by the content type. An offer always names a version other than ours.
#include "update_answer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  static const char* const kContentTypes[] = {"", "application/json", "application/json; charset=ISO-8859-1",
                                              "text/html; charset=\"utf-16\"", "application/json; charset=nonsense"};
  qv::HttpAnswer answer;
  answer.status = data[0] & 0x80 ? 404 : 200;
  answer.contentType = kContentTypes[(data[0] & 0x7F) % 5];
  answer.body = QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  const QString ours = qv::update::ProgramVersion();
  if (const auto offer = qv::update::readUpdateAnswer(answer, ours)) {
    if (offer->LastVersion == ours || answer.status != 200) {
      __builtin_trap();
    }
    (void)qv::update::downloadLink(offer->lnk);
  }
  return 0;
}
