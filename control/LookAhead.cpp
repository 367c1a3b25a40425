#include "control/LookAhead.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "control/Driver.h"
#include "foundation/FileNames.h"
#include "foundation/WholeFileWriter.h"

namespace quorlex {
namespace {

long long FileSize(const TextString& path) {
  struct stat info {};
  return stat(path.Data(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

}  // namespace

// The policies some planned entries are converted with: a context as the run's working
// context will be when their turn comes, with its own de-tagging set.
struct LookAhead::PolicySnapshot {
  PolicySnapshot(const QueuePolicies& policies, const ConversionContext& commandLine)
      : detagging(policies.Detagging()), work(detagging) {
    work.TakeOver(policies.Base(), ConversionContext::Flags::kTakenToo);
    work.TakeOver(commandLine, ConversionContext::Flags::kTakenToo);
  }
  PolicySet detagging;
  ConversionContext work;
};

struct LookAhead::Job {
  size_t position = 0;
  TextString input;
  std::shared_ptr<const PolicySnapshot> policies;
  long long bytes = 0;
  bool taken = false;  // by a worker
  bool done = false;
  std::unique_ptr<PreparedFile> result = std::make_unique<PreparedFile>();
};

// What one worker converts with: its own policies and output pass, whose pattern lists
// are built again only when the policies change.
class LookAhead::Engine {
 public:
  Engine() : detagging_(MakeDetaggingPolicies()), context_(detagging_), pass_(context_) {}

  void Prepare(const Job& job, PreparedFile& file) {
    if (job.policies != policies_) {
      policies_ = job.policies;
      detagging_ = policies_->detagging;
      context_.Reset();
      context_.TakeOver(policies_->work, ConversionContext::Flags::kTakenToo);
    }
    file.document = pass_.Prepare(job.input, file.outputPath);
  }

 private:
  PolicySet detagging_;
  ConversionContext context_;
  OutputPass pass_;
  std::shared_ptr<const PolicySnapshot> policies_;
};

LookAhead::LookAhead(const RunSettings& run, const QueuePolicies& policies,
                     const ConversionContext& commandLine, int threads)
    : run_(run), commandLine_(commandLine), window_(2 * static_cast<size_t>(threads)) {
  planned_.CopyFrom(policies);
  planned_.Base().RecordInto(&dropped_);
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

LookAhead::~LookAhead() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  jobAdded_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

std::unique_ptr<PreparedFile> LookAhead::Take(size_t position) {
  Plan();
  std::unique_lock lock(mutex_);
  if (jobs_.empty() || jobs_.front()->position != position) return nullptr;
  jobDone_.wait(lock, [this] { return jobs_.front()->done; });
  std::unique_ptr<Job> job = std::move(jobs_.front());
  jobs_.pop_front();
  bytesAhead_ -= job->bytes;
  lock.unlock();
  // The window has room again: the workers need not wait for the run's next request.
  Plan();
  return std::move(job->result);
}

void LookAhead::Plan() {
  while (nextToPlan_ < run_.queue.size()) {
    {
      const std::lock_guard lock(mutex_);
      if (jobs_.size() >= window_ || (!jobs_.empty() && bytesAhead_ >= kBytesAhead)) return;
    }
    std::unique_ptr<Job> job = PlanEntry(nextToPlan_++);
    if (job == nullptr) continue;
    {
      const std::lock_guard lock(mutex_);
      bytesAhead_ += job->bytes;
      jobs_.push_back(std::move(job));
    }
    jobAdded_.notify_one();
  }
}

std::unique_ptr<LookAhead::Job> LookAhead::PlanEntry(size_t position) {
  const QueueEntry& entry = run_.queue[position];
  if (entry.input.IsEmpty() || IsStandardInput(entry.input)) return nullptr;
  TextString inputFolder;
  TextString inputName;
  TextString inputExtension;
  SplitPath(entry.input, inputFolder, inputName, inputExtension);
  bool refused = false;
  const int used = planned_.Use(entry.policyFile, inputFolder, "ERROR: Can't find policy file ",
                                nullptr, refused);
  dropped_.clear();
  if (!used) return nullptr;

  auto job = std::make_unique<Job>();
  job->position = position;
  job->input = entry.input;
  job->policies = Snapshot();
  job->bytes = FileSize(entry.input);
  // Named as the run will name it: with the output format of these policies.
  RunSettings naming;
  naming.output = run_.output;
  naming.outputFormat = planned_.Format();
  TextString folder;
  TextString name;
  TextString extension;
  ComputeOutputName(entry.input, entry.outputSpec, naming, folder, name, extension);
  job->result->outputPath = folder + name + extension;
  return job;
}

std::shared_ptr<const LookAhead::PolicySnapshot> LookAhead::Snapshot() {
  if (snapshot_ == nullptr || snapshotGeneration_ != planned_.Generation()) {
    snapshot_ = std::make_shared<const PolicySnapshot>(planned_, commandLine_);
    snapshotGeneration_ = planned_.Generation();
  }
  return snapshot_;
}

LookAhead::Job* LookAhead::NextUntaken() {
  for (const std::unique_ptr<Job>& job : jobs_) {
    if (!job->taken) return job.get();
  }
  return nullptr;
}

void LookAhead::Work() {
  // An interrupt is handled by the run's thread, which writes the files.
  HoldEndingSignalsInThisThread();
  Engine engine;
  std::unique_lock lock(mutex_);
  for (;;) {
    jobAdded_.wait(lock, [this] { return stopping_ || NextUntaken() != nullptr; });
    if (stopping_) return;
    Job& job = *NextUntaken();
    job.taken = true;
    lock.unlock();
    engine.Prepare(job, *job.result);
    lock.lock();
    job.done = true;
    jobDone_.notify_all();
  }
}

}  // namespace quorlex
