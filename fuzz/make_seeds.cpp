// Writes the well-formed test files into a folder: the fuzzer's seed corpus and the
// benchmark's inputs. With --bench it adds animations of 1 and 500 frames.
#include "fixtures.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    const bool bench = argc == 3 && std::string(argv[2]) == "--bench";
    if (argc != 2 && !bench) {
        std::fprintf(stderr, "usage: make_seeds FOLDER [--bench]\n");
        return 2;
    }
    auto files = testimg::wellFormedFiles();
    if (bench) {
        files.push_back({"frames1.ani", testimg::manyFrames(1)});
        files.push_back({"frames500.ani", testimg::manyFrames(500)});
    }
    for (const auto& [name, bytes] : files) {
        std::ofstream out(std::string(argv[1]) + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
