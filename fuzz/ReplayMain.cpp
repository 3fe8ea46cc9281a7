// A main for a fuzz target built without libFuzzer: feeds every file named on
// the command line (every file of a named folder, in name order) to the
// target's LLVMFuzzerTestOneInput once, so that the usual build runs the seed
// corpus and the earlier findings as a plain test. A broken invariant aborts,
// as under the fuzzer; a file that cannot be read fails the run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool Replay(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    // An empty input still gets a valid pointer, as libFuzzer gives one.
    const uint8_t none = 0;
    LLVMFuzzerTestOneInput(bytes.empty() ? &none : reinterpret_cast<const uint8_t*>(bytes.data()),
                           bytes.size());
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path named(argv[i]);
        std::vector<std::filesystem::path> inputs;
        if (std::filesystem::is_directory(named)) {
            for (const auto& entry : std::filesystem::directory_iterator(named))
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
            std::sort(inputs.begin(), inputs.end());
        } else {
            inputs.push_back(named);
        }
        for (const auto& input : inputs) {
            if (!Replay(input))
                return 1;
            ++replayed;
        }
    }
    if (replayed == 0) {
        std::fprintf(stderr, "no input replayed\n");
        return 1;
    }
    std::printf("%s: %d inputs replayed\n", argc > 0 ? argv[0] : "replay", replayed);
    return 0;
}
