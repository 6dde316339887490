// Decodes the corpus of explode_corpus.h with ExplodeData, for bench/count-instructions.sh to count
// the instructions under callgrind. Prints the bytes of output.
//   explode_count MODE [KIND]    MODE 0 or 1; KIND text, speech or pictures (default: every kind)
#include "core/explode.h"
#include "explode_corpus.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: explode_count MODE [KIND]\n");
    return 2;
  }
  const int mode = std::atoi(argv[1]);
  const std::string kind = argc == 3 ? argv[2] : "";
  std::vector<kv::bench::CorpusBlock> corpus;
  try {
    corpus = kv::bench::BuildExplodeCorpus();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "explode_count: %s\n", error.what());
    return 1;
  }
  std::vector<std::uint8_t> out(kv::kMaxDecompressedSize);
  std::uint64_t total = 0;
  for (const kv::bench::CorpusBlock& block : corpus) {
    if (block.literal_mode != mode || (!kind.empty() && block.kind != kind)) continue;
    const std::int32_t produced =
        kv::ExplodeData(block.block.data(), static_cast<std::uint32_t>(block.block.size()), out.data(),
                        static_cast<std::uint32_t>(out.size()));
    if (produced != static_cast<std::int32_t>(block.raw.size()) ||
        std::memcmp(out.data(), block.raw.data(), block.raw.size()) != 0) {
      std::fprintf(stderr, "explode_count: %s (mode %d) decodes wrongly\n", block.name.c_str(), mode);
      return 1;
    }
    total += block.raw.size();
  }
  if (total == 0) {
    std::fprintf(stderr, "explode_count: no blocks of kind '%s'\n", kind.c_str());
    return 2;
  }
  std::printf("%llu\n", static_cast<unsigned long long>(total));
  return 0;
}
