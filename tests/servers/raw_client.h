#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QTcpSocket>

#include <algorithm>
#include <functional>

// A client that sends one request and keeps every byte of the answer, with bounded waits.
class RawClient {
 public:
  explicit RawClient(quint16 port) {
    socket_.connectToHost(QHostAddress::LocalHost, port);
    connected_ = socket_.waitForConnected(5000);
  }

  bool connected() const { return connected_; }

  void get(const QByteArray& target, const QByteArray& extraHeaders = {}) {
    socket_.write("GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n");
    socket_.waitForBytesWritten(5000);
  }

  // Reads until `done` holds for what has arrived, the server closes, or the time is up.
  bool readUntil(const std::function<bool(const QByteArray&)>& done, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    for (;;) {
      received_ += socket_.readAll();
      if (done(received_)) {
        return true;
      }
      if (socket_.state() != QAbstractSocket::ConnectedState || deadline.hasExpired()) {
        return false;
      }
      socket_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
  }
  bool readHead(int milliseconds = 5000) {
    return readUntil([](const QByteArray& data) { return data.contains("\r\n\r\n"); }, milliseconds);
  }
  bool readBody(qsizetype count, int milliseconds = 5000) {
    return readUntil([&](const QByteArray& data) { return bodyOf(data).size() >= count; }, milliseconds);
  }
  // True when the server closed the connection within the time.
  bool readToClose(int milliseconds = 5000) {
    readUntil([](const QByteArray&) { return false; }, milliseconds);
    return closed();
  }
  bool closed() const { return socket_.state() != QAbstractSocket::ConnectedState && socket_.bytesAvailable() == 0; }

  const QByteArray& received() const { return received_; }
  QByteArray statusLine() const { return received_.left(received_.indexOf("\r\n")); }
  QByteArray head() const { return received_.left(received_.indexOf("\r\n\r\n")); }
  QByteArray body() const { return bodyOf(received_); }

  // Value of a header (name compared without case), or a null array when it is missing.
  QByteArray header(const QByteArray& name) const {
    const QList<QByteArray> lines = head().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
      const qsizetype colon = lines[i].indexOf(':');
      if (colon > 0 && lines[i].left(colon).trimmed().toLower() == name.toLower()) {
        return lines[i].mid(colon + 1).trimmed();
      }
    }
    return {};
  }

 private:
  static QByteArray bodyOf(const QByteArray& data) {
    const qsizetype end = data.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : data.mid(end + 4);
  }

  QTcpSocket socket_;
  bool connected_ = false;
  QByteArray received_;
};
