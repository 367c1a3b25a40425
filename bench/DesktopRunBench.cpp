// Converts a folder of pages through the desktop program's window, as a drop of the folder
// would, and says how long the run took and how long the window took to answer meanwhile:
// every 10 ms an event is posted to the window's thread, and the delay until it is handled
// is what a click would wait for.
//
//   desktop_run_bench FOLDER [status]
//
// "status" shows the status window during the run. Settings live in a folder of their own.
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "frontend/Desktop.h"
#include "frontend/MainWindow.h"
#include "frontend/Prompts.h"
#include "frontend/SettingsStore.h"

namespace {

using Clock = std::chrono::steady_clock;

// An event that carries when it was posted.
struct Ping : QEvent {
  static inline const Type kType = static_cast<Type>(QEvent::registerEventType());
  Ping() : QEvent(kType), posted(Clock::now()) {}
  Clock::time_point posted;
};

// Records how long each ping waited before the window's thread handled it.
class Listener : public QObject {
 public:
  std::vector<double> delaysMs;

 protected:
  void customEvent(QEvent* event) override {
    if (event->type() != Ping::kType) return;
    const auto waited = Clock::now() - static_cast<Ping*>(event)->posted;
    delaysMs.push_back(std::chrono::duration<double, std::milli>(waited).count());
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: desktop_run_bench FOLDER [status]\n");
    return 2;
  }
  QApplication app(argc, argv);
  const std::string folder = std::filesystem::absolute(argv[1]).lexically_normal().string();
  const bool status = argc > 2 && std::string(argv[2]) == "status";
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("desktop-run-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(home);

  quorlex::SettingsStore store((home / "settings.conf").string());
  store.Set("\\Languages\\SelectedLanguage", "Yes");
  store.Set("\\BrowserCommand", "/bin/true");
  store.Set("\\DragAndDrop\\ViewResults", "No");
  store.Set("\\Dialogs\\DisplayStatusDialog", status ? "Yes" : "No");
  (void)store.Save();
  quorlex::LinuxDesktop desktop;
  quorlex::QtPrompts prompts;
  std::string summary;
  double seconds = 0;
  Listener listener;
  {
    quorlex::MainWindow window(store, desktop, prompts, home.string());
    prompts.SetParent(&window);
    window.show();
    QTimer ping;
    QObject::connect(&ping, &QTimer::timeout, &listener,
                     [&listener] { QCoreApplication::postEvent(&listener, new Ping); });
    QTimer::singleShot(200, &window, [&] {
      ping.start(10);
      const Clock::time_point start = Clock::now();
      window.DropFiles({quorlex::TextString(folder.c_str())});
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
      ping.stop();
      summary = window.statusBar()->findChild<QLabel*>()->text().toStdString();
      app.quit();
    });
    app.exec();
  }
  std::filesystem::remove_all(home);
  std::vector<double>& delays = listener.delaysMs;
  std::sort(delays.begin(), delays.end());
  const double p99 = delays.empty() ? 0 : delays[delays.size() * 99 / 100];
  const double worst = delays.empty() ? 0 : delays.back();
  std::printf("%s\nwindow run: %.3f s, %zu pings, answer delay p99 %.1f ms, worst %.1f ms\n",
              summary.c_str(), seconds, delays.size(), p99, worst);
  return 0;
}
