// Runs a fuzz target over every file of the folders or files given, and over
// simple mutations of each (truncations and flipped bytes), without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Optional, as with libFuzzer.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

void RunOne(const std::vector<std::uint8_t>& bytes) {
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    // Every prefix length class and a walk of flipped bytes.
    for (std::size_t cut = 0; cut < bytes.size(); cut += 1 + bytes.size() / 16) {
        std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + cut);
        LLVMFuzzerTestOneInput(prefix.data(), prefix.size());
    }
    std::vector<std::uint8_t> flipped = bytes;
    for (std::size_t i = 0; i < flipped.size(); i += 1 + flipped.size() / 64) {
        flipped[i] ^= 0xFF;
        LLVMFuzzerTestOneInput(flipped.data(), flipped.size());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> paths;
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& e : std::filesystem::directory_iterator(argv[i]))
                if (e.is_regular_file()) paths.push_back(e.path());
        } else if (std::filesystem::is_regular_file(argv[i])) {
            paths.emplace_back(argv[i]);
        } else {
            std::fprintf(stderr, "no such corpus: %s\n", argv[i]);
            return 1;
        }
        for (const auto& p : paths) {
            std::ifstream in(p, std::ios::binary);
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            RunOne(bytes);
            ++files;
        }
    }
    std::printf("%d passed, 0 failed\n", files);
    return files > 0 ? 0 : 1;
}
