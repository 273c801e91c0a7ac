#include "tests/support/png_image.h"

#include <png.h>

#include <cstdlib>
#include <stdexcept>
#include <unordered_set>

namespace halyx_test {

PngImage PngImage::read(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        throw std::runtime_error("not a PNG: " + path + ": " + image.message);
    }
    image.format = PNG_FORMAT_RGBA;
    PngImage out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr) == 0) {
        throw std::runtime_error("cannot decode " + path + ": " + image.message);
    }
    return out;
}

double PngImage::shareOf(std::uint32_t rgb, int tolerance) const {
    const int want[3] = {static_cast<int>(rgb >> 16 & 0xff), static_cast<int>(rgb >> 8 & 0xff),
                         static_cast<int>(rgb & 0xff)};
    std::size_t hits = 0;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        bool near = true;
        for (int c = 0; c < 3; ++c) near = near && std::abs(rgba[i + c] - want[c]) <= tolerance;
        hits += near ? 1 : 0;
    }
    return rgba.empty() ? 0 : static_cast<double>(hits) / static_cast<double>(rgba.size() / 4);
}

std::size_t PngImage::colours() const {
    std::unordered_set<std::uint32_t> seen;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        seen.insert(static_cast<std::uint32_t>(rgba[i]) << 16 | rgba[i + 1] << 8 | rgba[i + 2]);
    }
    return seen.size();
}

}  // namespace halyx_test
