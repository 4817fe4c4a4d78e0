// kelvarn-paint: paints the five pictures of the show into a texture folder.
//   kelvarn-paint <texture folder> [preview folder for PNG copies]
#include "tools/paint/pictures.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <texture folder> [png preview folder]\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    const std::string preview = argc > 2 ? argv[2] : "";
    struct Job {
        const char* name;
        Image (*paint)();
    };
    const Job jobs[] = {{"logo1", paintLogo1}, {"logo2", paintLogo2}, {"sphere", paintSphere},
                        {"tunnel1", paintTunnelGlow}, {"tunnel2", paintTunnelWall}};
    int failures = 0;
    for (const Job& job : jobs) {
        const Image img = job.paint();
        const std::string path = out + "/" + job.name + ".jpg";
        if (!writeJpg(path, img, 90)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
            continue;
        }
        std::printf("wrote %s (%d x %d)\n", path.c_str(), img.width, img.height);
        if (!preview.empty())
            writePng(preview + "/" + job.name + ".png", img);
    }
    return failures ? 1 : 0;
}
