#include "frontend/Viewers.h"

#include <sys/stat.h>

#include <cstdio>

#include "foundation/Ascii.h"
#include "foundation/Version.h"
#include "frontend/Desktop.h"
#include "frontend/Notices.h"
#include "frontend/ProgramSettings.h"
#include "frontend/UiLanguage.h"

namespace quorlex {
namespace {

const char* MimeTypeOf(const char* extension) {
  static const struct {
    const char* extension;
    const char* mimeType;
  } kTypes[] = {
      {".htm", "text/html"},       {".html", "text/html"},         {".txt", "text/plain"},
      {".rtf", "application/rtf"}, {".doc", "application/msword"}, {".pdf", "application/pdf"},
  };
  if (extension == nullptr) return "";
  const TextString wanted(extension);
  for (const auto& type : kTypes) {
    if (wanted.Equals(type.extension, LetterCase::kIgnored, Blanks::kCount)) return type.mimeType;
  }
  return "";
}

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

// Drops the field codes of a desktop file's Exec value ("%u", "%F", ...); "%%" stands for
// a percent sign.
std::string RemoveFieldCodes(const std::string& exec) {
  std::string out;
  for (size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] != '%' || i + 1 >= exec.size()) {
      out += exec[i];
      continue;
    }
    const char code = exec[i + 1];
    if (code == '%') {
      out += '%';
      ++i;
    } else if (std::string_view("fFuUdDnNickvm").find(code) != std::string_view::npos) {
      ++i;
    } else {
      out += exec[i];
    }
  }
  return out;
}

bool IsNameChar(char c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_'; }

// Replaces "$NAME" and "${NAME}" by the variable's value; a reference to an unset variable
// stays as it is.
std::string ExpandEnvironment(const std::string& text, Desktop& desktop) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '$') {
      out += text[i];
      continue;
    }
    const bool braced = i + 1 < text.size() && text[i + 1] == '{';
    size_t start = i + (braced ? 2 : 1);
    size_t end = start;
    while (end < text.size() && IsNameChar(text[end])) ++end;
    if (end == start || (braced && (end >= text.size() || text[end] != '}'))) {
      out += text[i];
      continue;
    }
    const std::string value = desktop.Environment(text.substr(start, end - start));
    const size_t last = braced ? end : end - 1;
    if (value.empty()) {
      out += text.substr(i, last - i + 1);
    } else {
      out += value;
    }
    i = last;
  }
  return out;
}

// The position of the first `c` that begins a word (stands right after a blank), or -1.
int FindWordStart(const std::string& text, char c) {
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == c && text[i - 1] == ' ') return static_cast<int>(i);
  }
  return -1;
}

// Cuts the arguments off a command line and leaves the program. With s the first blank, p
// the first "%", d the first "/" and m the first "-" that begin a word (a "/" or "-" inside
// a path or a program name such as firefox-esr is no option):
// p counts as m when it comes first; m as d likewise; then a d right after the first blank
// keeps everything up to that blank, a later d keeps what comes before the blank in front
// of it. Surrounding double quotes and trailing blanks go last.
std::string CutArguments(std::string text) {
  const auto find = [&text](char c) {
    const size_t at = text.find(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
  };
  const int s = find(' ');
  const int p = find('%');
  int d = FindWordStart(text, '/');
  int m = FindWordStart(text, '-');
  if (p >= 0 && (m <= 0 || m >= p)) m = p;
  if (m != -1 && (d <= 0 || d >= m)) d = m;
  if (s >= 0 && d == s + 1) {
    text.resize(static_cast<size_t>(d));
  } else if (d > 0) {
    text.resize(static_cast<size_t>(d - 1));
  }
  if (!text.empty() && text.front() == '"') text.erase(0, 1);
  while (text.size() > 1 && (text.back() == '"' || text.back() == ' ')) text.pop_back();
  return text;
}

// Blank-separated words, double quotes grouping (and dropped).
std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool inWord = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

bool HoldsBlank(const TextString& text) {
  int pos = -1;
  return text.FindChar(0, ' ', pos, LetterCase::kMatters) != 0;
}

}  // namespace

std::string DdeErrorText(int code) {
  static const char* const kTexts[] = {
      "DDE Error: adv ack timeout!",
      "DDE Error: busy",
      "DDE Error: ack timeout",
      "DDE Error: DLL not initialised",
      "DDE Error: DLL usage",
      "DDE Error: EXE ack Timeout",
      "DDE Error: invalid parameter",
      "DDE Error: low memory",
      "DDE Error: memory error",
      "DDE Error: not processed",
      "DDE Error: no conversation established",
      "DDE Error: Poke ack timeout",
      "DDE Error: post message failed",
      "DDE Error: reentrancy detected",
      "DDE Error: server died",
      "DDE Error: sys error",
      "DDE Error: unadv Ack Timeout",
      "DDE Error: Unfound Queue ID",
  };
  if (code == 0) return std::string();
  const int index = code - 0x4000;
  if (index >= 0 && index < static_cast<int>(std::size(kTexts))) return kTexts[index];
  char text[48];
  std::snprintf(text, sizeof text, "Unknown DDE Error : 0x%04X", static_cast<unsigned>(code));
  return text;
}

Viewers::Viewers(ProgramSettings& settings, UiLanguage& language, Desktop& desktop,
                 Notices& notices, std::string programFolder)
    : settings_(settings),
      language_(language),
      desktop_(desktop),
      notices_(notices),
      programFolder_(std::move(programFolder)) {}

void Viewers::Notify(int caption, int text) {
  notices_.Show(
      caption < 0 ? std::string(kProgramName) : language_.Display(TextTable::Message, caption),
      language_.Display(TextTable::Message, text), NoticeIcon::Exclamation);
}

int Viewers::FindAssociatedProgram(const char* ext1, const char* ext2, TextString& out) {
  if (findingProgram_) return 0;
  findingProgram_ = true;
  struct Guard {
    bool& flag;
    ~Guard() { flag = false; }
  } guard{findingProgram_};

  std::string application = desktop_.DefaultApplication(MimeTypeOf(ext1));
  if (application.empty() && ext2 != nullptr && ext2[0] != '\0') {
    application = desktop_.DefaultApplication(MimeTypeOf(ext2));
  }
  if (application.empty()) return 0;
  const std::string exec = desktop_.DesktopEntryExec(application);
  if (exec.empty()) return 0;
  const std::string program = CutArguments(ExpandEnvironment(RemoveFieldCodes(exec), desktop_));
  const std::string path = FindProgram(program, desktop_.Environment("PATH"));
  if (path.empty()) return 0;
  out.AssignBytes(path.data(), static_cast<int>(path.size()));
  return 1;
}

int Viewers::DetectBrowser(TextString& out) {
  if (FindAssociatedProgram(".htm", ".html", out)) return 1;
  out = settings_.browserCommand;
  return 0;
}

void Viewers::ReportNoBrowser() {
  notices_.Show(std::string(kProgramName),
                "ERROR: No web browser found to show the result: install one (firefox-esr, "
                "chromium) or set one in Settings",
                NoticeIcon::Exclamation);
}

void Viewers::ReportNoViewer(const TextString& file) {
  notices_.Show(std::string(kProgramName),
                "ERROR: No text viewer found to show " + std::string(file.View()) +
                    ": install one (mousepad, gedit) or set one in Settings",
                NoticeIcon::Exclamation);
}

int Viewers::FindTextViewer(TextString& out) { return FindAssociatedProgram(".txt", "", out); }
int Viewers::FindRtfViewer(TextString& out) { return FindAssociatedProgram(".rtf", ".doc", out); }
int Viewers::FindDocumentViewer(TextString& out) {
  return FindAssociatedProgram(".pdf", ".doc", out);
}

TextString Viewers::MakeFileUrl(const TextString& path) const {
  if (!settings_.addUrlPrefix) return path;
  std::string url;
  const std::string_view text = path.View();
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool driveColon = i == 1 && c == ':' && IsAsciiLetter(text[0]);
    if (c == '\\') {
      url += '/';
    } else if (driveColon) {
      url += '|';
    } else if (c == '%') {
      url += "%25";
    } else if (c == '#') {
      url += "%23";
    } else if (c == '?') {
      url += "%3F";
    } else {
      url += c;
    }
  }
  TextString result("file://localhost");
  if (url.empty() || url.front() != '/') result.AppendChar('/');
  result.AppendBytes(url.data(), static_cast<int>(url.size()));
  return result;
}

std::vector<std::string> Viewers::CommandWords(const TextString& command) const {
  TextString whole = command;
  whole.Trim(TrimEnds::kBoth, " ");
  if (whole.Length() >= 2 && whole[0] == '"' && whole[whole.Length() - 1] == '"') {
    whole.Mid(1, whole.Length() - 2);
  }
  if (!whole.IsEmpty() && Exists(std::string(whole.View()))) return {std::string(whole.View())};
  return SplitWords(command.View());
}

int Viewers::Start(const TextString& command, const TextString& argument, const std::string& shown,
                   Shower shower) {
  std::vector<std::string> argv = CommandWords(command);
  if (argv.empty()) argv.emplace_back();
  argv.emplace_back(argument.View());
  const int error = desktop_.StartDetached(argv);
  if (error == 0) return 1;
  const std::string commandText(command.View());
  const std::string number = std::to_string(error);
  // The browser's caption is translated; the viewer's is this program's own.
  notices_.Show(shower == Shower::kBrowser ? language_.Display(TextTable::Message, 8)
                                           : std::string("Error launching viewer"),
                FillPlaceholders(language_.Display(TextTable::Message, 47),
                                 {{"ccc", commandText}, {"url", shown}, {"nnn", number}}),
                NoticeIcon::Exclamation);
  return 0;
}

int Viewers::LaunchBrowser(const TextString& url, TextString command, int allowDde) {
  if (url.IsEmpty()) {
    Notify(-1, 45);
    return 0;
  }
  if (command.IsEmpty()) DetectBrowser(command);
  if (allowDde && settings_.useDdeToViewHtml) {
    // There is no dynamic data exchange here: connecting to the browser's service
    // (settings_.ddeServerName, "IExplore" when empty) always ends in "no conversation
    // established", the one DDE error that is not reported, and the browser command is
    // started instead. The marker is written around the attempt as around a real one.
    settings_.ddeWorking = "No";
    settings_.ddeWorking = "Yes";
  }
  if (command.IsEmpty()) {
    ReportNoBrowser();
    return 0;
  }
  std::string shown(url.View());
  if (HoldsBlank(url)) shown = "\"" + shown + "\"";
  return Start(command, url, shown, Shower::kBrowser);
}

int Viewers::LaunchFileViewer(const TextString& file, TextString command) {
  if (file.IsEmpty()) {
    Notify(-1, 46);
    return 0;
  }
  // How the name would be quoted on a command line; it is shown in the failure message.
  std::string shown(file.View());
  if (HoldsBlank(file)) {
    if (shown.find('"') == std::string::npos) {
      shown = "\"" + shown + "\"";
    } else {
      if (shown.front() != '"') shown.insert(0, 1, '"');
      if (shown.back() != '"') shown += '"';
    }
  }
  if (command.IsEmpty() && !FindRtfViewer(command)) {
    ReportNoViewer(file);
    return 0;
  }
  return Start(command, file, shown, Shower::kViewer);
}

void Viewers::ReportDdeError(int code) {
  if (code == 0) return;
  notices_.Show(std::string(kProgramName), DdeErrorText(code), NoticeIcon::Exclamation);
}

int Viewers::ViewResults(ResultToView& result, const std::function<void(ResultToView&)>& convert) {
  if (result.lastOutputFile.IsEmpty()) {
    if (result.filesChosen) {
      Notify(13, 52);
    } else {
      Notify(12, 26);
    }
    if (convert) convert(result);
    if (result.lastOutputFile.IsEmpty()) return 0;
  }
  const TextString file = result.outputDir + result.lastOutputFile;
  if (result.conversionType == 1) {
    TextString browser;
    DetectBrowser(browser);
    return LaunchBrowser(MakeFileUrl(file), browser, 1);
  }
  TextString viewer;
  if (!FindTextViewer(viewer)) {
    ReportNoViewer(file);
    return 0;
  }
  // Appended rather than written "\"" + name: g++ 12 warns (-Wrestrict) about a memcpy
  // inside std::string's operator+ that cannot overlap.
  std::string shown = "\"";
  shown.append(file.View()).append("\"");
  return Start(viewer, file, shown, Shower::kViewer);
}

int Viewers::ViewAfterConversion(const ResultToView& result, int outputFormat,
                                 bool startedWithFiles) {
  const int wanted = startedWithFiles ? settings_.dragDropViewResults : settings_.autoDdeUpdates;
  if (!wanted || result.lastOutputFile.IsEmpty()) return 0;
  const TextString file = result.outputDir + result.lastOutputFile;
  switch (outputFormat) {
    case 2:
      if (settings_.viewTextCommand.IsEmpty()) FindTextViewer(settings_.viewTextCommand);
      return LaunchFileViewer(file, settings_.viewTextCommand);
    case 1:
      if (settings_.viewRtfCommand.IsEmpty()) FindRtfViewer(settings_.viewRtfCommand);
      return LaunchFileViewer(file, settings_.viewRtfCommand);
    case 0:
      return LaunchBrowser(MakeFileUrl(file), settings_.browserCommand, 1);
    case 3: {
      TextString viewer;
      FindDocumentViewer(viewer);
      return LaunchFileViewer(file, viewer);
    }
    default:
      return 0;
  }
}

TextString Viewers::LocalDocumentationPath() const {
  if (!settings_.htmlDoco.IsEmpty()) {
    std::string doco(settings_.htmlDoco.View());
    struct stat info {};
    if (stat(doco.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      if (doco.back() != '/') doco += '/';
      doco += "quorlex.html";
    }
    return TextString(doco.c_str());
  }
  const std::string installed = programFolder_ + "/../share/doc/quorlex/quorlex.html";
  const std::string beside = programFolder_ + "/quorlex.html";
  if (!Exists(installed) && Exists(beside)) return TextString(beside.c_str());
  return TextString(installed.c_str());
}

int Viewers::OpenLocalDocumentation() {
  TextString browser;
  DetectBrowser(browser);
  return LaunchBrowser(MakeFileUrl(LocalDocumentationPath()), browser, 1);
}

}  // namespace quorlex
