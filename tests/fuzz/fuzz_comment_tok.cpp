// The COMMENT.TOK parse on arbitrary text: every line is named, holds at
// most 16 pieces, and every piece is an SFX name or a placeholder.
#include <cstddef>
#include <cstdint>

#include "commentary/comment_tok.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kv::ParsedCatalogue parsed = kv::ParseCommentaryText({data, size});
  if (!parsed.firstEntryFound && !parsed.lines.empty()) __builtin_trap();
  for (const kv::CommentaryLine& line : parsed.lines) {
    if (line.outputName.empty() || line.entryId.size() != 3 || line.pieces.size() > kv::kMaxLinePieces)
      __builtin_trap();
    for (const std::string& piece : line.pieces) {
      const bool placeholder = piece.size() == 3 && piece[0] == '*' && piece[2] >= 'A' && piece[2] <= 'F';
      if (!placeholder && (piece.size() != 9 || piece.compare(5, 4, ".SFX") != 0)) __builtin_trap();
    }
  }
  return 0;
}
