// The update check against a local HTTPS server whose self-signed certificate the test trusts:
// what each answer offers, and that a silent server cannot hold the check beyond its time-out.
#include "update_check.h"
#include "recording_proxy.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace update = qv::update;

namespace qv::update {
void PrintTo(const UpdateOffer& o, std::ostream* out) {
  *out << o.LastVersion.toStdString() << " / " << o.whatnew.toStdString() << " / " << o.lnk.toStdString();
}
}  // namespace qv::update

namespace {

class UpdateServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_folder = new QTemporaryDir;
    QDir(s_folder->path()).mkdir(QStringLiteral("answer"));
    QProcess openssl;
    openssl.start(
        QStringLiteral("openssl"),
        {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
         QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
         QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
         QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"),
         path("key.pem"), QStringLiteral("-out"), path("cert.pem")});
    s_ready = openssl.waitForFinished(20000) && openssl.exitCode() == 0;
    if (!s_ready) {
      return;
    }
    s_server = new QProcess;
    s_server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    s_server->start(QStringLiteral("python3"),
                    {QStringLiteral(QV_UPDATE_SERVER_SCRIPT), QStringLiteral("--cert"), path("cert.pem"),
                     QStringLiteral("--key"), path("key.pem"), QStringLiteral("--answer"), path("answer")});
    const QDeadlineTimer deadline(10000);
    while (!s_server->canReadLine() && !deadline.hasExpired() && s_server->state() != QProcess::NotRunning) {
      s_server->waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    const QByteArray line = s_server->readLine().trimmed();
    s_host = QStringLiteral("127.0.0.1:") + QString::fromLatin1(line.mid(5));
    s_ready = line.startsWith("PORT ");
  }

  static void TearDownTestSuite() {
    if (s_server) {
      s_server->closeWriteChannel();  // the server ends when its input does
      if (!s_server->waitForFinished(5000)) {
        s_server->kill();
        s_server->waitForFinished(2000);
      }
      delete s_server;
      s_server = nullptr;
    }
    delete s_folder;
    s_folder = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(s_ready) << "the local HTTPS server did not start";
    for (const char* name : {"status", "content-type", "body", "stall"}) {
      QFile::remove(path("answer/") + QLatin1String(name));
    }
  }

  static QString path(const char* name) { return s_folder->path() + QLatin1Char('/') + QLatin1String(name); }

  static void answer(const char* name, const QByteArray& bytes) {
    QFile file(path("answer/") + QLatin1String(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  //! Runs one check to its end (bounded) and gives the offer, when there was one.
  static std::optional<update::UpdateOffer> check(qv::HttpGetOptions options = {}) {
    options.caFile = path("cert.pem");
    update::UpdateCheck updateCheck;
    std::optional<update::UpdateOffer> offer;
    QObject::connect(&updateCheck, &update::UpdateCheck::offered, [&](const update::UpdateOffer& o) { offer = o; });
    QSignalSpy finished(&updateCheck, &update::UpdateCheck::finished);
    EXPECT_TRUE(updateCheck.start(s_host, options));
    EXPECT_TRUE(finished.wait(20000));
    return offer;
  }

  static inline QTemporaryDir* s_folder = nullptr;
  static inline QProcess* s_server = nullptr;
  static inline QString s_host;
  static inline bool s_ready = false;
};

struct AnswerCase {
  const char* name;
  QByteArray status;
  QByteArray contentType;
  QByteArray body;
  std::optional<update::UpdateOffer> offer;
};

update::UpdateOffer offer(const char* version, const char* notes, const char* link) {
  return {QString::fromUtf8(version), QString::fromUtf8(notes), QString::fromUtf8(link)};
}

TEST_F(UpdateServer, EachAnswerOffersWhatItNames) {
  ASSERT_EQ(update::ProgramVersion(), QStringLiteral("0.1.0.0"));
  const AnswerCase cases[] = {
      {"same version", "200", "application/json",
       R"({"LatestVersion":"0.1.0.0","WhatNew":"x","Link":"https://127.0.0.1/d"})", std::nullopt},
      {"three numbers for the same release", "200", "application/json",
       R"({"LatestVersion":"0.1.0","WhatNew":"x","Link":"https://127.0.0.1/d"})",
       offer("0.1.0", "x", "https://127.0.0.1/d")},
      {"newer, other members ignored", "200", "",
       R"({"Link":"https://127.0.0.1/d","Size":3,"LatestVersion":"0.2.0.0","WhatNew":"Faster\nbetter"})",
       offer("0.2.0.0", "Faster\nbetter", "https://127.0.0.1/d")},
      {"missing WhatNew", "200", "", R"({"LatestVersion":"0.2.0.0","Link":"https://127.0.0.1/d"})",
       offer("0.2.0.0", "", "https://127.0.0.1/d")},
      {"a link that is not https is kept, for the notice", "200", "",
       R"({"LatestVersion":"0.2.0.0","WhatNew":"","Link":"http://127.0.0.1/d"})",
       offer("0.2.0.0", "", "http://127.0.0.1/d")},
      {"charset of the content type", "200", "application/json; charset=ISO-8859-1",
       "{\"LatestVersion\":\"0.2.0.0\",\"WhatNew\":\"Caf\xE9\",\"Link\":\"\"}", offer("0.2.0.0", "Café", "")},
      {"404", "404", "application/json", R"({"LatestVersion":"0.2.0.0"})", std::nullopt},
      {"500", "500", "", "", std::nullopt},
      {"an array", "200", "", R"([{"LatestVersion":"0.2.0.0"}])", std::nullopt},
      {"a portal's HTML page", "200", "text/html", "<html><body>Sign in to the network</body></html>", std::nullopt},
      {"version not a string", "200", "", R"({"LatestVersion":2,"WhatNew":"","Link":""})", std::nullopt},
      {"notes not a string", "200", "", R"({"LatestVersion":"0.2.0.0","WhatNew":["a"],"Link":""})", std::nullopt},
      {"nested too deep", "200", "",
       "{\"LatestVersion\":\"0.2.0.0\",\"x\":" + QByteArray(5000, '[') + QByteArray(5000, ']') + "}", std::nullopt},
      {"larger than 1 MiB", "200", "",
       R"({"LatestVersion":"0.2.0.0","WhatNew":")" + QByteArray(1024 * 1024, 'a') + R"(","Link":""})", std::nullopt},
  };
  for (const AnswerCase& c : cases) {
    answer("status", c.status);
    answer("content-type", c.contentType);
    answer("body", c.body);
    EXPECT_EQ(check(), c.offer) << c.name;
  }
}

TEST_F(UpdateServer, OnlyAnHttpsLinkIsADownload) {
  EXPECT_EQ(update::downloadLink(QStringLiteral("https://127.0.0.1/d?x=1")),
            QUrl(QStringLiteral("https://127.0.0.1/d?x=1")));
  for (const char* link :
       {"http://127.0.0.1/d", "HTTPS//127.0.0.1", "https://", "file:///etc/passwd", "javascript:x", ""}) {
    EXPECT_TRUE(update::downloadLink(QLatin1String(link)).isEmpty()) << link;
  }
}

TEST_F(UpdateServer, ASilentServerEndsTheCheckAtItsTimeOut) {
  answer("stall", "");
  answer("body", R"({"LatestVersion":"0.2.0.0"})");
  qv::HttpGetOptions options;
  options.totalTimeout = std::chrono::milliseconds(500);
  QDeadlineTimer bound(10000);
  EXPECT_EQ(check(options), std::nullopt);
  EXPECT_FALSE(bound.hasExpired());
}

// The proxy setting carries the question: the proxy is asked for a tunnel to the host, and the
// answer comes back through it.
TEST_F(UpdateServer, TheQuestionGoesThroughTheProxySetting) {
  RecordingProxy proxy;
  ASSERT_TRUE(proxy.ok());
  answer("status", "200");
  answer("content-type", "application/json");
  answer("body", R"({"LatestVersion":"0.2.0.0","WhatNew":"","Link":""})");
  qv::HttpGetOptions options;
  options.proxy = proxy.address();
  EXPECT_EQ(check(options), offer("0.2.0.0", "", ""));
  EXPECT_EQ(proxy.requestLines, QList<QByteArray>{"CONNECT " + s_host.toLatin1() + " HTTP/1.1"});
}

TEST(UpdateCheck, WithoutAHostNothingIsAsked) {
  update::UpdateCheck updateCheck;
  EXPECT_FALSE(updateCheck.start(QString()));
}

}  // namespace
