#pragma once

// A small HTTP proxy on 127.0.0.1 for tests of the proxy setting. It records the request line of
// every request it gets; a GET for an absolute URL is answered with `answerBody`, a CONNECT is
// tunnelled to the named port on 127.0.0.1 (any other host is refused). It runs on the thread that
// creates it, so the test's event loop must run while a request goes through it.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

class RecordingProxy {
 public:
  RecordingProxy() {
    m_server.listen(QHostAddress::LocalHost);
    QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* client = m_server.nextPendingConnection()) {
        serve(client);
      }
    });
  }

  bool ok() const { return m_server.isListening(); }
  //! "127.0.0.1:port", as the proxy setting names it.
  QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }

  QList<QByteArray> requestLines;
  QByteArray answerBody = "proxied";

 private:
  void serve(QTcpSocket* client) {
    client->setParent(&m_server);
    auto head = std::make_shared<QByteArray>();
    QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    QObject::connect(client, &QTcpSocket::readyRead, client, [this, client, head] {
      if (head->endsWith("\r\n\r\n")) {
        return;  // a tunnel relays its bytes itself
      }
      head->append(client->readAll());
      if (!head->contains("\r\n\r\n")) {
        return;
      }
      const QByteArray line = head->left(head->indexOf("\r\n"));
      requestLines.append(line);
      const QList<QByteArray> parts = line.split(' ');
      const bool tunnel = parts.size() == 3 && parts[0] == "CONNECT" && parts[1].startsWith("127.0.0.1:");
      if (!tunnel) {
        client->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                      QByteArray::number(answerBody.size()) + "\r\nConnection: close\r\n\r\n" + answerBody);
        client->disconnectFromHost();
        return;
      }
      *head = "\r\n\r\n";  // from now on the tunnel's
      auto* origin = new QTcpSocket(client);
      QObject::connect(origin, &QTcpSocket::connected, client,
                       [client] { client->write("HTTP/1.1 200 Connection established\r\n\r\n"); });
      QObject::connect(origin, &QTcpSocket::readyRead, client, [client, origin] { client->write(origin->readAll()); });
      QObject::connect(client, &QTcpSocket::readyRead, origin, [client, origin] { origin->write(client->readAll()); });
      QObject::connect(origin, &QTcpSocket::disconnected, client, [client] { client->disconnectFromHost(); });
      QObject::connect(client, &QTcpSocket::disconnected, origin, [origin] { origin->disconnectFromHost(); });
      origin->connectToHost(QHostAddress::LocalHost, parts[1].mid(parts[1].indexOf(':') + 1).toUShort());
    });
  }

  QTcpServer m_server;
};
