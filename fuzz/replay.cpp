// Replays a fuzz target's corpus without libFuzzer: every file named on the
// command line, or every file in a directory named there, is run through
// LLVMFuzzerTestOneInput once. This is how the corpus runs under CTest with
// the ordinary compilers and sanitizers.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
    return 1;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int failed = 0;
  int runs = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path path(argv[i]);
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
        if (!entry.is_regular_file()) continue;
        failed += replay(entry.path());
        ++runs;
      }
    } else {
      failed += replay(path);
      ++runs;
    }
  }
  std::printf("replayed %d inputs\n", runs);
  return failed == 0 && runs > 0 ? 0 : 1;
}
