// kelvarn-icon: paints the application icon at every size the desktop asks for.
//   kelvarn-icon <folder>   writes kelvarn-16.png ... kelvarn-256.png there
#include "tools/paint/pictures.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <icon folder>\n", argv[0]);
        return 2;
    }
    int failures = 0;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string path = std::string(argv[1]) + "/kelvarn-" + std::to_string(size) + ".png";
        if (!paintIcon(path, size)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
            continue;
        }
        std::printf("wrote %s\n", path.c_str());
    }
    return failures ? 1 : 0;
}
