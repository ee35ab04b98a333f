// write_icon_png SIZE OUT.png: writes the window's icon, drawn by the shared picture code at SIZE
// pixels square, as a PNG (8-bit RGBA) for the Linux desktop's icon theme. Built and run on the
// build machine by scripts/package.sh, as src/win32 builds write_icon for the Windows .ico.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "window/pictures.h"

namespace {

void putU32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(v >> shift & 0xFF);
}

void chunk(std::string& out, const char* type, const std::string& data) {
    putU32(out, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    const auto* bytes = reinterpret_cast<const Bytef*>(typed.data());
    putU32(out, static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(typed.size()))));
}

// No time, gamma or text chunks: the same pixels always give the same file.
std::string png(const scourvane::window::Pixels& p) {
    std::string raw;
    raw.reserve(static_cast<std::size_t>(p.height) * (1 + 4 * static_cast<std::size_t>(p.width)));
    for (int y = 0; y < p.height; ++y) {
        raw += '\0';  // filter: none
        for (int x = 0; x < p.width; ++x) {
            const std::uint32_t c = p.at(x, y);
            for (int shift : {16, 8, 0, 24}) raw += static_cast<char>(c >> shift & 0xFF);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<Bytef> packed(packedSize);
    if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        return {};

    std::string header;
    putU32(header, static_cast<std::uint32_t>(p.width));
    putU32(header, static_cast<std::uint32_t>(p.height));
    header += '\x08';  // bits per channel
    header += '\x06';  // colour type: RGBA
    header += std::string(3, '\0');  // deflate, adaptive filtering, not interlaced
    std::string out = "\x89PNG\r\n\x1a\n";
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", std::string(reinterpret_cast<const char*>(packed.data()), packedSize));
    chunk(out, "IEND", {});
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size < 1 || size > 1024) {
        std::fprintf(stderr, "usage: write_icon_png SIZE OUT.png\n");
        return 2;
    }
    const std::string file = png(scourvane::window::applicationIcon(size));
    if (file.empty()) return 1;
    std::ofstream out(argv[2], std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    return out ? 0 : 1;
}
