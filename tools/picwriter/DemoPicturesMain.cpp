// slidora-demo-pictures <folder>: writes the demo pictures into <folder>,
// creating it, overwriting earlier copies.
#include "tools/picwriter/DemoPictures.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: slidora-demo-pictures <folder>\n");
        return 2;
    }
    std::string error;
    if (!slidora::picwriter::writeDemoPictures(argv[1], error)) {
        std::fprintf(stderr, "slidora-demo-pictures: %s\n", error.c_str());
        return 1;
    }
    std::printf("%zu demo pictures written to %s\n", slidora::picwriter::demoPictureList().size(),
                argv[1]);
    return 0;
}
