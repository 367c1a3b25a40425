#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "control/QueuePolicies.h"
#include "control/RunSettings.h"
#include "engine/OutputPass.h"
#include "policies/ConversionContext.h"

namespace quorlex {

// A document converted ahead of its turn, and the output it was converted for.
struct PreparedFile {
  TextString outputPath;
  PreparedDocument document;
};

// Converts the files of a run's queue ahead of the run on worker threads, while the run
// writes them one after the other in queue order. Each file is prepared (read, converted
// and laid out, its messages recorded) with the policies and the output name the run will
// give it when its turn comes; the run then reports what was recorded and writes the
// output, so what it shows and writes is what converting the files one by one would have.
// At most a window of files is ahead of the run: twice as many as there are threads, and
// no more input than kBytesAhead beyond the next file.
class LookAhead {
 public:
  static constexpr long long kBytesAhead = 256LL * 1024 * 1024;

  // `run` (its queue, output specification and settings) and `commandLine` (the qualifiers'
  // policies) must outlive this and not change; `policies` are copied as they stand before
  // the first file of the queue.
  LookAhead(const RunSettings& run, const QueuePolicies& policies,
            const ConversionContext& commandLine, int threads);
  // Stops the workers; what they have not finished is dropped, nothing is written.
  ~LookAhead();
  LookAhead(const LookAhead&) = delete;
  LookAhead& operator=(const LookAhead&) = delete;

  // The document of the queue entry at `position`, asked for in queue order, once it is
  // ready; null when the run converts that entry itself (standard input, a policy file that
  // cannot be read).
  std::unique_ptr<PreparedFile> Take(size_t position);

 private:
  struct PolicySnapshot;
  struct Job;
  class Engine;

  // Plans the entries after the last one planned while the window has room: their
  // policies and output names, each handed to the workers.
  void Plan();
  // Plans the entry at `position`; null when the run converts it itself.
  std::unique_ptr<Job> PlanEntry(size_t position);
  // The policies of the planned entry, as a snapshot shared by the entries that have the
  // same ones.
  std::shared_ptr<const PolicySnapshot> Snapshot();
  // A worker thread: prepares the first job no worker has taken, until stopped.
  void Work();
  Job* NextUntaken();

  const RunSettings& run_;
  const ConversionContext& commandLine_;
  // The policies as the run will have them for the entry planned last; messages of reading
  // them are dropped (the run reports them in turn).
  QueuePolicies planned_;
  MessageRecord dropped_;
  std::shared_ptr<const PolicySnapshot> snapshot_;
  int snapshotGeneration_ = -1;
  size_t nextToPlan_ = 0;
  size_t window_;
  long long bytesAhead_ = 0;

  std::mutex mutex_;
  std::condition_variable jobAdded_;
  std::condition_variable jobDone_;
  std::deque<std::unique_ptr<Job>> jobs_;  // planned and not taken, in queue order
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace quorlex
