// replay_main.cpp -- runs the fuzz target over files given on the command line
// (the committed corpus), for builds without libFuzzer. Prints one line per
// run and "N passed, 0 failed" at the end; a failing input aborts.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    int ran = 0;
    for (int k = 1; k < argc; ++k) {
        std::ifstream file(argv[k], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", argv[k]);
            return 1;
        }
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++ran;
    }
    std::fprintf(stderr, "replayed %d inputs\n", ran);
    return ran > 0 ? 0 : 1;
}
