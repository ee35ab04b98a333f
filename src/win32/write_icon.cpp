// write_icon OUT.ico: writes the window's icon, drawn by the shared picture code, at the sizes
// Windows asks for at 96 to 192 dots per inch. Built and run on the build machine while the
// Windows program is cross-built.
#include <cstdio>
#include <fstream>

#include "window/pictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_icon OUT.ico\n");
        return 2;
    }
    std::vector<scourvane::window::Pixels> pictures;
    for (int size : {16, 20, 24, 32, 40, 48, 64, 256})
        pictures.push_back(scourvane::window::applicationIcon(size));
    std::ofstream out(argv[1], std::ios::binary);
    const std::string ico = scourvane::window::iconFile(pictures);
    out.write(ico.data(), static_cast<std::streamsize>(ico.size()));
    return out ? 0 : 1;
}
