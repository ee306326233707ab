#include "single_instance.h"

#include "instance_socket.h"
#include "paths.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>
#include <QtEndian>

namespace qv::app {
namespace {

Q_LOGGING_CATEGORY(lcInstance, "qv.instance", QtInfoMsg)

using std::chrono::milliseconds;

// A message travels as its length (4 bytes, big-endian) and its bytes; the answer is one byte.
constexpr char kTaken = 'k';
constexpr qsizetype kLengthBytes = 4;

QByteArray framed(const QByteArray& message) {
  QByteArray frame(kLengthBytes, '\0');
  qToBigEndian(static_cast<quint32>(message.size()), frame.data());
  return frame + message;
}

milliseconds left(const QDeadlineTimer& deadline) {
  return milliseconds(std::max<qint64>(deadline.remainingTime(), 0));
}

}  // namespace

SingleInstance::SingleInstance(QString lockFile, QString socketName, QObject* parent)
    : QObject(parent), m_lock(lockFile), m_socketName(std::move(socketName)) {
  // A running player's lock never goes stale by age; one whose process is gone does (QLockFile
  // checks the process id and name it holds).
  m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
  if (m_server) {
    m_server->close();
  }
}

QString SingleInstance::profileLockFile() {
  return paths::DataFolder() + QStringLiteral("/quorventale.lock");
}

QString SingleInstance::profileSocketName() {
  // Hashed, so that a deep profile folder still fits a socket's short path.
  const QString profile =
      QDir::cleanPath(paths::settingsFile()) + QLatin1Char('\n') + QDir::cleanPath(paths::DataFolder());
  const QByteArray hash = QCryptographicHash::hash(profile.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
  return localSocketName(QStringLiteral("quorventale-") + QString::fromLatin1(hash));
}

SingleInstance::Outcome SingleInstance::start(const QByteArray& message, milliseconds patience) {
  const QString lockFile = m_lock.fileName();
  if (!QDir().mkpath(QFileInfo(lockFile).absolutePath())) {
    return {Role::Refused, QStringLiteral("cannot create the folder of %1").arg(QDir::toNativeSeparators(lockFile))};
  }
  const QDeadlineTimer deadline(patience);
  for (;;) {
    if (m_lock.tryLock(0)) {
      listen();
      return {Role::Primary, {}};
    }
    if (m_lock.error() != QLockFile::LockFailedError) {
      return {Role::Refused, QStringLiteral("cannot create the lock file %1").arg(QDir::toNativeSeparators(lockFile))};
    }
    switch (handOver(message, std::min(left(deadline), milliseconds(1000)))) {
      case HandOver::Delivered:
        return {Role::HandedOver, {}};
      case HandOver::NoAnswer:
        return {Role::Refused, QStringLiteral("the player running on this profile did not confirm the hand-over "
                                              "within %1 s")
                                   .arg(kAnswerTime.count() / 1000)};
      case HandOver::NotListening:
        break;
    }
    if (deadline.hasExpired()) {
      qint64 pid = 0;
      QString host;
      QString application;
      m_lock.getLockInfo(&pid, &host, &application);
      return {Role::Refused, QStringLiteral("another process (%1, process id %2) holds the profile's lock file %3 "
                                            "and does not answer at %4")
                                 .arg(application.isEmpty() ? QStringLiteral("unknown") : application)
                                 .arg(pid)
                                 .arg(QDir::toNativeSeparators(lockFile), m_socketName)};
    }
    QThread::msleep(100);
  }
}

SingleInstance::HandOver SingleInstance::handOver(const QByteArray& message, milliseconds connectTime) {
  QLocalSocket socket;
  socket.connectToServer(m_socketName);
  if (!socket.waitForConnected(static_cast<int>(connectTime.count()))) {
    return HandOver::NotListening;
  }
  const QDeadlineTimer deadline(kAnswerTime);
  socket.write(framed(message));
  while (socket.bytesToWrite() > 0 && !deadline.hasExpired()) {
    if (!socket.waitForBytesWritten(static_cast<int>(left(deadline).count()))) {
      break;
    }
  }
  while (socket.bytesAvailable() < 1 && !deadline.hasExpired() && socket.state() == QLocalSocket::ConnectedState) {
    socket.waitForReadyRead(static_cast<int>(std::min(left(deadline), milliseconds(100)).count()));
  }
  char answer = 0;
  if (socket.read(&answer, 1) == 1 && answer == kTaken) {
    return HandOver::Delivered;
  }
  // A player that closed the connection unanswered is ending (or was not one): its lock goes
  // soon, so the caller tries again. One that stays silent is stuck.
  return deadline.hasExpired() ? HandOver::NoAnswer : HandOver::NotListening;
}

void SingleInstance::listen() {
  m_server = new QLocalServer(this);
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
  if (!m_server->listen(m_socketName) && m_server->serverError() == QAbstractSocket::AddressInUseError) {
    // We hold the lock, so whoever made that socket has ended without removing it (a crash).
    qCInfo(lcInstance) << "replacing the socket left by an earlier player:" << m_socketName;
    QLocalServer::removeServer(m_socketName);
    m_server->listen(m_socketName);
  }
  if (!m_server->isListening()) {
    qCWarning(lcInstance) << "cannot listen at" << m_socketName << ":" << m_server->errorString()
                          << "- a second start on this profile cannot hand over to this player";
  }
}

bool SingleInstance::listening() const {
  return m_server && m_server->isListening();
}

void SingleInstance::acceptConnections() {
  while (QLocalSocket* socket = m_server->nextPendingConnection()) {
    m_incoming.insert(socket, {});
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
      m_incoming.remove(socket);
      socket->deleteLater();
    });
    // A sender that never finishes its message does not keep the connection.
    QTimer::singleShot(kAnswerTime, socket, [socket] { socket->abort(); });
    readFrom(socket);
  }
}

void SingleInstance::readFrom(QLocalSocket* socket) {
  const auto found = m_incoming.find(socket);
  if (found == m_incoming.end()) {
    return;
  }
  QByteArray& received = found.value();
  received += socket->read(kMaxMessageBytes + kLengthBytes - received.size() + 1);
  if (received.size() < kLengthBytes) {
    return;
  }
  const quint32 length = qFromBigEndian<quint32>(received.constData());
  if (length > kMaxMessageBytes || received.size() > kLengthBytes + qsizetype(length)) {
    qCWarning(lcInstance) << "refused a hand-over message that is too long";
    m_incoming.erase(found);
    socket->abort();
    return;
  }
  if (received.size() < kLengthBytes + qsizetype(length)) {
    return;
  }
  const QByteArray message = received.sliced(kLengthBytes);
  m_incoming.erase(found);
  // Confirmed before it is acted on: the sender need not wait for questions the player asks.
  socket->write(&kTaken, 1);
  socket->flush();
  socket->disconnectFromServer();
  deliver(message);
}

// Queued: the receiver may ask questions in a nested event loop, which must not run inside the
// socket's own signal.
void SingleInstance::deliver(const QByteArray& message) {
  QMetaObject::invokeMethod(
      this,
      [this, message] {
        if (m_receiver) {
          m_receiver(message);
        } else {
          m_waiting.push_back(message);
        }
      },
      Qt::QueuedConnection);
}

void SingleInstance::setReceiver(std::function<void(const QByteArray&)> receiver) {
  m_receiver = std::move(receiver);
  for (const QByteArray& message : std::exchange(m_waiting, {})) {
    m_receiver(message);
  }
}

}  // namespace qv::app
