#pragma once

#include <cstdio>
#include <memory>
#include <string_view>

namespace quorlex {

// Closes a stream that MemoryStream opened.
struct StreamCloser {
  void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using StreamHandle = std::unique_ptr<std::FILE, StreamCloser>;

// A stream for reading that yields `prefix` and then `text`, without copying either: the
// caller's bytes read as a file would (a UTF-8 mark put in front of a document, say). Both
// must outlive the stream. Null when the C library cannot open the stream.
StreamHandle MemoryStream(std::string_view prefix, std::string_view text);

}  // namespace quorlex
