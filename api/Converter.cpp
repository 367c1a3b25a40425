#include <algorithm>
#include <mutex>
#include <string>
#include <thread>

#include "engine/OutputPass.h"
#include "foundation/MemoryStream.h"
#include "foundation/TextString.h"
#include "foundation/Version.h"
#include "policies/ConversionContext.h"
#include "policies/PolicyCatalogue.h"
#include "policies/PolicyFile.h"
#include "policies/QuorlOptions.h"
#include "quorlex/quorlex.h"

namespace quorlex {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The names quorlexrun gives standard input and its output, which the header box shows.
constexpr const char* kInputName = "-";
constexpr const char* kTextOutputName = "stdin.txt";
constexpr const char* kMarkupOutputName = "stdin.html";

// The two things a converter does; "Remove all tags" is what tells them apart.
enum class Mode { kText = 0, kMarkup = 1 };
constexpr int kModeCount = 2;

// The messages of a record, without its status lines.
std::vector<Message> MessagesOf(const MessageRecord& record) {
  std::vector<Message> messages;
  for (const RecordedMessage& entry : record) {
    if (entry.kind == RecordedMessage::Kind::kMessage)
      messages.push_back({entry.level, entry.text});
  }
  return messages;
}

// Whether the document gets a UTF-8 mark in front, which makes the pass read it as UTF-8
// whatever it declares. Only a pass that decodes its input into UTF-8 reads the mark as one
// (and takes it off); otherwise the bytes are kept as they stand.
bool MarkAsUtf8(std::string_view html, Input input, bool decodesInput) {
  return input == Input::kUtf8 && decodesInput && !html.starts_with(kUtf8Mark);
}

// Reads the policies of a policy file's text into `context`, which reports what is wrong.
void ReadPolicyText(ConversionContext& context, std::string_view text) {
  const StreamHandle stream = MemoryStream("", text);
  if (stream == nullptr) {
    context.Message("ERROR: Can't read the policies from memory", 10);
    return;
  }
  PolicyFileReader reader(context);
  reader.ReadStream(stream.get(), TextString());
}

// What one conversion works with: the policies of its mode, a context that records what
// the pass reports, and the pass itself, whose pattern lists are built on its first use and
// kept for the next.
class ConversionWorker {
 public:
  ConversionWorker(const PolicySet& detagging, const ConversionContext& policies, Mode mode,
                   bool headerBox)
      : detagging_(detagging), context_(detagging_), pass_(context_) {
    detagging_.Find(kRemoveAllTags)->number = mode == Mode::kText ? 1 : 0;
    context_.TakeOver(policies, ConversionContext::Flags::kTakenToo);
    context_.RecordInto(&record_);
    const MessageSettings settings = context_.Settings();
    filter_.SetFilters(1, settings.suppressUrl, settings.suppressInfo, settings.suppressWarning,
                       settings.suppressProgramError, settings.suppressTagError);
    decodesInput_ = QuorlOptions::FromPolicies(detagging_).WritesUtf8();
    outputName_ = mode == Mode::kText ? kTextOutputName : kMarkupOutputName;
    pass_.SetHeaderBox(headerBox);
  }

  // Converts `html`; `names` (null: standard input) name the document and its output.
  Result Convert(std::string_view html, Input input, const DocumentNames* names) {
    Result result;
    const StreamHandle stream =
        MemoryStream(MarkAsUtf8(html, input, decodesInput_) ? kUtf8Mark : "", html);
    if (stream == nullptr) {
      result.messages.push_back({10, "ERROR: Can't read the document from memory"});
      return result;
    }
    record_.clear();
    pass_.SetInputStream(stream.get());
    const PassResult pass =
        names != nullptr ? pass_.RunOutputPass(names->input.c_str(), names->output.c_str(), nullptr,
                                               &result.text)
                         : pass_.RunOutputPass(kInputName, outputName_, nullptr, &result.text);
    pass_.SetInputStream(nullptr);
    result.ok = pass.converted != 0;
    if (!result.ok) result.text.clear();
    for (Message& message : MessagesOf(record_)) {
      if (!filter_.IsCategorySuppressed(message.text.c_str())) {
        result.messages.push_back(std::move(message));
      }
    }
    return result;
  }

 private:
  PolicySet detagging_;
  ConversionContext context_;
  OutputPass pass_;
  MessageRecord record_;
  // Says which messages the "Suppress ... messages" policies keep back.
  MessageChannel filter_;
  bool decodesInput_ = true;
  const char* outputName_ = kTextOutputName;
};

}  // namespace

// The policies as read, and the idle workers of each mode, which conversions take and give
// back under the mutex. Everything else stays as it was read.
struct Converter::Impl {
  explicit Impl(const Options& given) : detagging(MakeDetaggingPolicies()), policies(detagging) {
    options = given;
  }

  // A converter whose policies `read` sets in the context it is given; whatever reading
  // reports makes it not ok.
  template <typename Read>
  static std::shared_ptr<const Impl> ReadPolicies(const Options& options, Read read) {
    auto impl = std::make_shared<Impl>(options);
    MessageRecord record;
    impl->policies.RecordInto(&record);
    read(impl->policies);
    impl->policies.RecordInto(nullptr);
    impl->errors = MessagesOf(record);
    return impl;
  }

  Result Convert(std::string_view html, Input input, Mode mode,
                 const DocumentNames* names = nullptr) const {
    if (!errors.empty()) return Result{std::string(), errors, false};
    std::unique_ptr<ConversionWorker> worker = Take(mode);
    Result result = worker->Convert(html, input, names);
    GiveBack(mode, std::move(worker));
    return result;
  }

  std::unique_ptr<ConversionWorker> Take(Mode mode) const {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      auto& pool = idle[static_cast<int>(mode)];
      if (!pool.empty()) {
        std::unique_ptr<ConversionWorker> worker = std::move(pool.back());
        pool.pop_back();
        return worker;
      }
    }
    return std::make_unique<ConversionWorker>(detagging, policies, mode, options.headerBox);
  }

  // A worker goes back to the pool unless the pool holds as many as the machine has cores.
  void GiveBack(Mode mode, std::unique_ptr<ConversionWorker> worker) const {
    static const size_t kMaxIdle = std::max(2U, std::thread::hardware_concurrency());
    const std::lock_guard<std::mutex> lock(mutex);
    auto& pool = idle[static_cast<int>(mode)];
    if (pool.size() < kMaxIdle) pool.push_back(std::move(worker));
  }

  PolicySet detagging;
  // The general policies and the text commands (their de-tagging set is `detagging`).
  ConversionContext policies;
  Options options;
  std::vector<Message> errors;
  mutable std::mutex mutex;
  mutable std::vector<std::unique_ptr<ConversionWorker>> idle[kModeCount];
};

Converter::Converter() : impl_(Impl::ReadPolicies({}, [](ConversionContext&) {})) {}

Converter::Converter(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

Converter Converter::FromPolicyText(std::string_view policyFileText, Options options) {
  return Converter(Impl::ReadPolicies(options, [policyFileText](ConversionContext& context) {
    ReadPolicyText(context, policyFileText);
  }));
}

Converter Converter::FromPolicyFile(const std::string& path, Options options) {
  return Converter(Impl::ReadPolicies(options, [&path](ConversionContext& context) {
    PolicyFileReader reader(context);
    TextString error;
    // A file that does not open is the one failure the reader leaves to its caller to say.
    if (!reader.Read(path.c_str(), &error) && reader.FilesRead().empty() && !reader.FileRefused()) {
      context.Message(("ERROR: " + error).Data(), 10);
    }
  }));
}

Converter Converter::FromPolicies(const std::vector<std::pair<std::string, std::string>>& nameValue,
                                  Options options) {
  return Converter(Impl::ReadPolicies(options, [&nameValue](ConversionContext& context) {
    std::string text;
    for (const auto& [name, value] : nameValue) {
      const std::string line = name + " : " + value;
      // A pair that would make more than one line of a policy file is refused.
      if (line.find_first_of("\r\n") != std::string::npos) {
        context.Message(("POLICY: Ignored - \\" + line + "\\").c_str(), 10);
      } else {
        text += line + '\n';
      }
    }
    ReadPolicyText(context, text);
  }));
}

bool Converter::ok() const { return impl_->errors.empty(); }

const std::vector<Message>& Converter::errors() const { return impl_->errors; }

bool Converter::WritesText() const { return impl_->detagging.Find(kRemoveAllTags)->number != 0; }

Result Converter::ToText(std::string_view html, Input input) const {
  return impl_->Convert(html, input, Mode::kText);
}

Result Converter::ToText(std::string_view html, Input input, const DocumentNames& names) const {
  return impl_->Convert(html, input, Mode::kText, &names);
}

Result Converter::RemoveMarkup(std::string_view html, Input input) const {
  return impl_->Convert(html, input, Mode::kMarkup);
}

const char* Version() { return kProgramVersion; }

}  // namespace quorlex
