#include "foundation/MemoryStream.h"

#include <sys/types.h>

#include <algorithm>
#include <cstring>

namespace quorlex {
namespace {

// What the stream reads: the two pieces one after the other.
struct Pieces {
  std::string_view first;
  std::string_view second;
};

ssize_t ReadPieces(void* cookie, char* buffer, size_t size) {
  auto* pieces = static_cast<Pieces*>(cookie);
  std::string_view& piece = pieces->first.empty() ? pieces->second : pieces->first;
  const size_t count = std::min(size, piece.size());
  std::memcpy(buffer, piece.data(), count);
  piece.remove_prefix(count);
  return static_cast<ssize_t>(count);
}

int ClosePieces(void* cookie) {
  delete static_cast<Pieces*>(cookie);
  return 0;
}

}  // namespace

StreamHandle MemoryStream(std::string_view prefix, std::string_view text) {
  auto pieces = std::make_unique<Pieces>(Pieces{prefix, text});
  cookie_io_functions_t functions{};
  functions.read = ReadPieces;
  functions.close = ClosePieces;
  StreamHandle stream(fopencookie(pieces.get(), "r", functions));
  // From here the stream owns the pieces: closing it frees them.
  if (stream != nullptr) static_cast<void>(pieces.release());
  return stream;
}

}  // namespace quorlex
