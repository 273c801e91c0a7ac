#ifndef HALYX_TESTS_SUPPORT_PNG_IMAGE_H
#define HALYX_TESTS_SUPPORT_PNG_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

namespace halyx_test {

// A PNG file read into 8-bit RGBA pixels (through libpng), for checking what a
// screenshot shows.
struct PngImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;  // row by row, 4 bytes a pixel

    // Throws std::runtime_error when the file is not a readable PNG.
    static PngImage read(const std::string& path);
    // The share of pixels (0 to 1) within `tolerance` of the colour in every channel.
    double shareOf(std::uint32_t rgb, int tolerance) const;
    // How many distinct colours the pixels have.
    std::size_t colours() const;
};

}  // namespace halyx_test

#endif
