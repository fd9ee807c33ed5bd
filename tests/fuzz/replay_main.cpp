// replay_main.cpp -- runs the fuzz target over the files named on the command line
// (the committed corpus), for builds without libFuzzer; a failing input aborts.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    for (int k = 1; k < argc; ++k) {
        std::ifstream file(argv[k], std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (!file.good() && !file.eof())
            return std::fprintf(stderr, "cannot read %s\n", argv[k]), 1;
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::fprintf(stderr, "replayed %d inputs\n", argc - 1);
    return argc > 1 ? 0 : 1;
}
