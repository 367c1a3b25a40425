#include "textformat/Markers.h"

namespace quorlex {
namespace {

TextString Inline(const char* word) {
  TextString marker;
  marker.AppendChar(kMarkerByte);
  marker.Append(word);
  marker.AppendChar(kMarkerByte);
  return marker;
}

Markers Build() {
  Markers m;
  m.paragraph = Inline("P");
  m.lineBreak = Inline("BR");
  m.softBreak = Inline("CBR");
  m.tab = Inline("TAB");
  const auto framed = [&m](const char* line) { return m.softBreak + line + m.softBreak; };
  m.startList = framed(kStartListLine);
  m.endList = framed(kEndListLine);
  m.startPreformatted = framed(kStartPreLine);
  m.endPreformatted = framed(kEndPreLine);
  m.startBlock = framed(kStartBlockLine);
  m.endBlock = framed(kEndBlockLine);
  m.listItem = m.softBreak + kListItemLabel;
  m.startDefinitions = framed(kStartDefinitionsLine);
  m.endDefinitions = framed(kEndDefinitionsLine);
  m.endsAtBreak = Inline("EB");
  return m;
}

}  // namespace

TextString WithMarkersAsBlanks(const TextString& text) {
  const std::string_view view = text.View();
  if (view.find(kMarkerByte) == std::string_view::npos) return text;
  TextString plain;
  for (size_t pos = 0; pos < view.size();) {
    const size_t open = view.find(kMarkerByte, pos);
    if (open == std::string_view::npos) {
      plain.AppendBytes(view.data() + pos, static_cast<int>(view.size() - pos));
      break;
    }
    plain.AppendBytes(view.data() + pos, static_cast<int>(open - pos));
    plain.AppendChar(' ');
    const size_t close = view.find(kMarkerByte, open + 1);
    pos = close == std::string_view::npos ? open + 1 : close + 1;
  }
  return plain;
}

bool TakeBreakEnd(TextString& line) {
  const std::string_view marker = GetMarkers().endsAtBreak.View();
  const bool ends = line.View().ends_with(marker);
  if (ends) line.Mid(0, line.Length() - static_cast<int>(marker.size()));
  if (line.View().find(kMarkerByte) != std::string_view::npos) {
    line.ReplaceAll(marker.data(), "", 0, LetterCase::kMatters);
  }
  return ends;
}

const Markers& GetMarkers() {
  static const Markers kMarkers = Build();
  return kMarkers;
}

}  // namespace quorlex
