// Writes the program's icon file (lumadir.ico) from the picture the windows
// draw, in the sizes Explorer, the Start menu and the list of programs ask for.
// Run at build time; the resource script puts the file into lumadir.exe.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "window_kit/pictures.h"

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// One icon image: a 32-bit bottom-up bitmap with straight alpha and an empty mask.
std::vector<uint8_t> image(int32_t size) {
  std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
  lumadir::render_picture(lumadir::picture::program, size, false, pixels.data());
  std::vector<uint8_t> out;
  put32(out, 40);
  put32(out, static_cast<uint32_t>(size));
  put32(out, static_cast<uint32_t>(size * 2));  // colour and mask
  put16(out, 1);
  put16(out, 32);
  for (int i = 0; i < 6; ++i) put32(out, 0);
  for (int32_t y = size - 1; y >= 0; --y) {
    for (int32_t x = 0; x < size; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * size + x];
      const uint32_t a = p >> 24;
      const auto straight = [a](uint32_t c) { return a ? static_cast<uint8_t>(c * 255 / a) : 0; };
      out.push_back(straight(p & 0xFF));
      out.push_back(straight((p >> 8) & 0xFF));
      out.push_back(straight((p >> 16) & 0xFF));
      out.push_back(static_cast<uint8_t>(a));
    }
  }
  const size_t mask_row = ((static_cast<size_t>(size) + 31) / 32) * 4;
  out.insert(out.end(), mask_row * static_cast<size_t>(size), 0);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
    return 2;
  }
  const int32_t sizes[] = {16, 20, 24, 32, 40, 48, 64, 256};
  std::vector<std::vector<uint8_t>> images;
  for (int32_t size : sizes) images.push_back(image(size));
  std::vector<uint8_t> out;
  put16(out, 0);
  put16(out, 1);
  put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const uint8_t side = sizes[i] >= 256 ? 0 : static_cast<uint8_t>(sizes[i]);
    out.push_back(side);
    out.push_back(side);
    out.push_back(0);
    out.push_back(0);
    put16(out, 1);
    put16(out, 32);
    put32(out, static_cast<uint32_t>(images[i].size()));
    put32(out, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& img : images) out.insert(out.end(), img.begin(), img.end());
  FILE* f = std::fopen(argv[1], "wb");
  if (!f) return 1;
  const bool written = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && written ? 0 : 1;
}
