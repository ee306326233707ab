#pragma once

#include <QByteArray>
#include <QHash>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace qv::app {

//! One player per profile. The first start takes the profile's lock file and listens on a local
//! socket named from the profile; a later start on the same profile hands its message to it over
//! that socket and ends. The lock is held until this object is destroyed, so it must outlive
//! everything that writes the profile's files. GUI thread only.
class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  SingleInstance(QString lockFile, QString socketName, QObject* parent = nullptr);
  ~SingleInstance() override;
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  //! The lock file and the socket of the profile in the environment as it is now: the lock in the
  //! data folder, the socket named by a hash of the settings file and the data folder.
  static QString profileLockFile();
  static QString profileSocketName();

  enum class Role : std::uint8_t {
    //! This process holds the lock and runs the player.
    Primary,
    //! The running player took the message; this process should end with status 0.
    HandedOver,
    //! Neither: `reason` says why. Nothing of the profile was touched.
    Refused,
  };
  struct Outcome {
    Role role = Role::Refused;
    QString reason;
  };

  //! Takes the lock, or hands `message` to the player that holds it. A player that holds the lock
  //! but does not listen yet (it is starting) or any more (it is ending, or closes the connection
  //! unanswered) is tried again until `patience` has passed; one that takes the connection but does
  //! not answer within kAnswerTime is not. Runs without an event loop; every wait is bounded.
  Outcome start(const QByteArray& message, std::chrono::milliseconds patience = std::chrono::seconds(5));

  //! Receives each message handed over; those that came before are given to it at once.
  void setReceiver(std::function<void(const QByteArray&)> receiver);

  //! Whether the socket listens (a failure is logged; the player then runs alone).
  bool listening() const;

  //! How long the sender waits for the running player to confirm, and the receiver for the
  //! whole of a message.
  static constexpr std::chrono::milliseconds kAnswerTime{10000};
  static constexpr qint64 kMaxMessageBytes = 1024 * 1024;

 private:
  enum class HandOver : std::uint8_t { Delivered, NotListening, NoAnswer };
  HandOver handOver(const QByteArray& message, std::chrono::milliseconds connectTime);
  void listen();
  void acceptConnections();
  void readFrom(QLocalSocket* socket);
  void deliver(const QByteArray& message);

  QLockFile m_lock;
  QString m_socketName;
  QLocalServer* m_server = nullptr;
  //! What each open connection has sent so far.
  QHash<QLocalSocket*, QByteArray> m_incoming;
  std::vector<QByteArray> m_waiting;
  std::function<void(const QByteArray&)> m_receiver;
};

}  // namespace qv::app
