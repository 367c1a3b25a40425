#include "frontend/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

namespace quorlex {
namespace {

// How long a start waits for the running program to take its files.
constexpr int kHandOverMilliseconds = 3000;
// A longer message is no start of this program: its connection is dropped.
constexpr qint64 kLongestMessage = 1 << 20;

QByteArray Message(const std::vector<TextString>& files) {
  QByteArray message;
  for (const TextString& file : files) {
    message.append(file.Data(), file.Length());
    message.append('\0');
  }
  return message;
}

// The paths of a message; bytes after the last NUL are the rest of a message cut short.
std::vector<TextString> Files(const QByteArray& message) {
  std::vector<TextString> files;
  QByteArrayList parts = message.split('\0');
  parts.removeLast();
  for (const QByteArray& part : parts) {
    if (part.isEmpty()) continue;
    TextString file;
    file.AssignBytes(part.constData(), static_cast<int>(part.size()));
    files.push_back(file);
  }
  return files;
}

}  // namespace

QString InstanceName(const std::string& settingsPath) {
  const QByteArray digest =
      QCryptographicHash::hash(QByteArray::fromStdString(settingsPath), QCryptographicHash::Sha256);
  return QStringLiteral("quorlex-%1-%2")
      .arg(static_cast<qulonglong>(getuid()))
      .arg(QString::fromLatin1(digest.toHex().left(16)));
}

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::HandOver(const std::vector<TextString>& files) const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(kHandOverMilliseconds)) return false;
  const QByteArray message = Message(files);
  if (socket.write(message) != message.size()) return false;
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(kHandOverMilliseconds)) return false;
  }
  socket.disconnectFromServer();
  return true;
}

bool SingleInstance::Listen() {
  QLocalServer::removeServer(name_);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      auto message = std::make_shared<QByteArray>();
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, message] {
        message->append(socket->readAll());
        if (message->size() > kLongestMessage) socket->abort();
      });
      QObject::connect(socket, &QLocalSocket::disconnected, socket, [this, socket, message] {
        socket->deleteLater();
        message->append(socket->readAll());
        if (message->size() <= kLongestMessage) Receive(Files(*message));
      });
    }
  });
  return server_->listen(name_);
}

void SingleInstance::TakeFilesWith(FilesHandler handler) {
  handler_ = std::move(handler);
  std::vector<std::vector<TextString>> waiting;
  waiting.swap(waiting_);
  for (const std::vector<TextString>& files : waiting) handler_(files);
}

void SingleInstance::Receive(std::vector<TextString> files) {
  if (handler_) {
    handler_(files);
  } else {
    waiting_.push_back(std::move(files));
  }
}

}  // namespace quorlex
