#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QtTest>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/SingleInstance.h"
#include "tests/frontend/TestRegistry.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::TempFolder;

// The files a listening instance received, one list for each later start.
struct Received {
  std::vector<std::vector<std::string>> starts;
  SingleInstance::FilesHandler Handler() {
    return [this](const std::vector<TextString>& files) {
      std::vector<std::string>& start = starts.emplace_back();
      for (const TextString& file : files) start.emplace_back(file.View());
    };
  }
};

std::vector<TextString> Paths(const std::vector<std::string>& paths) {
  std::vector<TextString> files;
  for (const std::string& path : paths) {
    TextString file;
    file.AssignBytes(path.data(), static_cast<int>(path.size()));
    files.push_back(file);
  }
  return files;
}

// Where the socket of `name` lives.
std::string SocketPath(const QString& name) {
  return (QDir::tempPath() + "/" + name).toStdString();
}

// What a program that crashed leaves behind: a socket file that nobody listens on.
void LeaveStaleSocket(const QString& name) {
  const std::string path = SocketPath(name);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  QVERIFY(socket >= 0);
  QCOMPARE(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(socket);
}

}  // namespace

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  void laterStartHandsItsFilesOver_data() {
    QTest::addColumn<QStringList>("paths");
    QTest::newRow("no files: come to the front") << QStringList();
    QTest::newRow("one file") << QStringList{"/home/ann/a.htm"};
    QTest::newRow("several, spaces and UTF-8")
        << QStringList{"/home/ann/my page.htm", "/home/ann/caf\u00e9/", "/b.html"};
  }
  void laterStartHandsItsFilesOver() {
    QFETCH(QStringList, paths);
    std::vector<std::string> sent;
    for (const QString& path : paths) sent.push_back(path.toStdString());
    TempFolder folder;
    const QString name = InstanceName(folder / "settings.conf");
    SingleInstance first(name);
    QVERIFY(!first.HandOver({}));  // nobody listens yet
    QVERIFY(first.Listen());
    Received received;
    first.TakeFilesWith(received.Handler());

    SingleInstance second(name);
    QVERIFY(second.HandOver(Paths(sent)));
    QTRY_COMPARE(received.starts.size(), size_t{1});
    QCOMPARE(received.starts[0], sent);
  }

  // Starts that come while the first builds its window wait for it.
  void filesBeforeTheHandlerWait() {
    TempFolder folder;
    const QString name = InstanceName(folder / "settings.conf");
    SingleInstance first(name);
    QVERIFY(first.Listen());
    QVERIFY(SingleInstance(name).HandOver(Paths({"/a.htm"})));
    QVERIFY(SingleInstance(name).HandOver(Paths({"/b.htm"})));
    QTest::qWait(100);
    Received received;
    first.TakeFilesWith(received.Handler());
    QCOMPARE(received.starts, (std::vector<std::vector<std::string>>{{"/a.htm"}, {"/b.htm"}}));
  }

  void staleSocketIsTakenOver() {
    TempFolder folder;
    const QString name = InstanceName(folder / "settings.conf");
    LeaveStaleSocket(name);
    QVERIFY(QFileInfo::exists(QString::fromStdString(SocketPath(name))));
    SingleInstance next(name);
    QVERIFY(!next.HandOver(Paths({"/a.htm"})));
    QVERIFY(next.Listen());
    QVERIFY(QFileInfo::exists(QString::fromStdString(SocketPath(name))));
    Received received;
    next.TakeFilesWith(received.Handler());
    QVERIFY(SingleInstance(name).HandOver(Paths({"/b.htm"})));
    QTRY_COMPARE(received.starts.size(), size_t{1});
    QCOMPARE(received.starts[0], std::vector<std::string>{"/b.htm"});
  }

  // Each settings file has its own name, the same at every start.
  void namesFollowTheSettingsFile() {
    const QString name = InstanceName("/home/ann/.config/quorlex/settings.conf");
    QCOMPARE(InstanceName("/home/ann/.config/quorlex/settings.conf"), name);
    QVERIFY(InstanceName("/tmp/quorlex-test-1/settings.conf") != name);
    QVERIFY(InstanceName("") != name);
    QVERIFY(name.startsWith(QStringLiteral("quorlex-%1-").arg(getuid())));
  }
};

QUORLEX_REGISTER_TEST(SingleInstanceTest);

}  // namespace quorlex

#include "SingleInstanceTest.moc"
