#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QtTest>
#include <cstring>

#include "frontend/SingleInstance.h"
#include "tests/frontend/TestRegistry.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

// What a program that crashed leaves behind: a socket file that nobody listens on.
void LeaveStaleSocket(const QString& name) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray path = (QDir::tempPath() + "/" + name).toLocal8Bit();
  std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  QCOMPARE(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(socket);
}

}  // namespace

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  // Also when a program that crashed left its socket; the files of starts that come before
  // the first has a handler wait for it.
  void laterStartsHandTheirFilesOver() {
    for (const bool stale : {false, true}) {
      testing::TempFolder folder;
      const QString name = InstanceName(folder / "settings.conf");
      QVERIFY(name != InstanceName(folder / "other.conf"));
      if (stale) LeaveStaleSocket(name);
      SingleInstance first(name);
      QVERIFY(!first.HandOver({}));
      QVERIFY(first.Listen());
      QVERIFY(SingleInstance(name).HandOver({TextString("/a b.htm"), TextString("/caf\xc3\xa9/")}));
      QVERIFY(SingleInstance(name).HandOver({}));  // no files: come to the front
      QTest::qWait(100);
      QStringList starts;
      first.TakeFilesWith([&starts](const std::vector<TextString>& files) {
        QStringList paths;
        for (const TextString& file : files) paths << QString::fromUtf8(file.Data());
        starts << paths.join('|');
      });
      QTRY_COMPARE(starts, (QStringList{"/a b.htm|/caf\u00e9/", ""}));
    }
  }
};

QUORLEX_REGISTER_TEST(SingleInstanceTest);

}  // namespace quorlex

#include "SingleInstanceTest.moc"
