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
  return m;
}

}  // namespace

const Markers& GetMarkers() {
  static const Markers kMarkers = Build();
  return kMarkers;
}

}  // namespace quorlex
