#include "http_get.h"
#include "stream_server.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace {

using namespace std::chrono_literals;

struct GetCase {
  const char* what;
  std::string path;
  std::function<void(qv::HttpGetOptions&)> limits;
  bool cancelled;
  // Expected: the status of a completed transfer (0: failed), whether the page itself came back.
  int status;
  bool pageBody;
  bool tooLarge;
};

TEST(HttpGet, AnswersLimitsAndFailures) {
  QTemporaryDir root;
  const QByteArray page(3000, 'p');
  QFile file(root.filePath(QStringLiteral("page.txt")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(page) == page.size());
  file.close();
  StreamServer server(root.path());
  ASSERT_TRUE(server.ok()) << server.error();

  const auto plainHttp = [](qv::HttpGetOptions& o) { o.plainHttpAllowed = true; };
  const auto redirects = [](qv::HttpGetOptions& o) {
    o.plainHttpAllowed = true;
    o.maxRedirects = 10;
  };
  const GetCase cases[] = {
      {"a page arrives whole", "/file/page.txt", plainHttp, false, 200, true, false},
      {"an error status still completes", "/status/404", plainHttp, false, 404, false, false},
      {"redirects are followed when allowed", "/redirect/3/page.txt", redirects, false, 200, true, false},
      {"no redirect is followed by default", "/redirect/1/page.txt", plainHttp, false, 302, false, false},
      {"a redirect loop fails", "/redirect-loop", redirects, false, 0, false, false},
      {"a body over the limit fails", "/file/page.txt",
       [](qv::HttpGetOptions& o) {
         o.plainHttpAllowed = true;
         o.maxBodyBytes = 1000;
       },
       false, 0, false, true},
      {"plain http is refused when only https is allowed", "/file/page.txt", [](qv::HttpGetOptions&) {}, false, 0,
       false, false},
      {"a silent server ends at the time-out", "/silent",
       [](qv::HttpGetOptions& o) {
         o.plainHttpAllowed = true;
         o.totalTimeout = 1s;
       },
       false, 0, false, false},
      {"a cancelled request ends at once", "/silent", plainHttp, true, 0, false, false},
  };
  for (const GetCase& c : cases) {
    SCOPED_TRACE(c.what);
    qv::HttpGetOptions options;
    c.limits(options);
    const std::atomic<bool> cancel{c.cancelled};
    const auto started = std::chrono::steady_clock::now();
    const qv::HttpAnswer answer = qv::httpGet(QByteArray::fromStdString(server.url(c.path)), options, cancel);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(answer.error.isEmpty(), c.status != 0) << answer.error.toStdString();
    EXPECT_EQ(answer.status, c.status);
    EXPECT_EQ(answer.body == page, c.pageBody);
    EXPECT_EQ(answer.tooLarge, c.tooLarge);
    if (c.status == 0) {
      EXPECT_TRUE(answer.body.isEmpty());
    }
  }
}

}  // namespace
