// The decoder's benchmark corpus: real data of three kinds, imploded by our encoder in both literal
// modes with dictionary 4096, in blocks of up to 65535 bytes. Built at start-up, the same on every run.
//   text      the licence texts under /usr/share/common-licenses (English prose, read at run time)
//   speech    the sample game's speech clips (8-bit unsigned, 11025 samples per second)
//   pictures  the sample game's TITLE.CEL (palette pictures)
//   vectors   the streams of an independent encoder in tests/data/implode, as they are, each in its
//             own literal mode and dictionary size (so they are not imploded again)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv::bench {

struct CorpusBlock {
  std::string kind; // "text", "speech", "pictures" or "vectors"
  std::string name; // where the bytes come from
  int literal_mode = 0;
  std::vector<std::uint8_t> raw;   // the original bytes
  std::vector<std::uint8_t> block; // a CompressedBlock that decodes to `raw`
};

inline constexpr const char* kCorpusKinds[] = {"text", "speech", "pictures", "vectors"};

// Every block in both modes. Throws std::runtime_error when the licence texts can't be read.
std::vector<CorpusBlock> BuildExplodeCorpus();

} // namespace kv::bench
