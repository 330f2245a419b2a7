#include "png_writer.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace {

struct PngWriting {
    explicit PngWriting(const std::string& path) : file(std::fopen(path.c_str(), "wb")) {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        info = png != nullptr ? png_create_info_struct(png) : nullptr;
        if (file == nullptr || info == nullptr) {
            throw std::runtime_error("cannot write " + path);
        }
        png_init_io(png, file);
    }
    ~PngWriting() {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
    }

    std::FILE* file;
    png_structp png = nullptr;
    png_infop info = nullptr;
};

}  // namespace

void WritePng(const std::string& path, const PngSpec& spec) {
    PngWriting writing(path);
    png_set_IHDR(writing.png, writing.info, spec.width, spec.height, spec.bitDepth, spec.colourType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.empty()) {
        png_set_PLTE(writing.png, writing.info, spec.palette.data(), static_cast<int>(spec.palette.size()));
    }
    if (!spec.transparency.empty()) {
        png_set_tRNS(writing.png, writing.info, spec.transparency.data(),
                     static_cast<int>(spec.transparency.size()), nullptr);
    }
    png_write_info(writing.png, writing.info);
    const size_t rowBytes = spec.rows.size() / spec.height;
    std::vector<png_bytep> rows;
    for (uint32_t y = 0; y < spec.height; ++y) {
        rows.push_back(const_cast<png_bytep>(spec.rows.data() + y * rowBytes));
    }
    png_write_image(writing.png, rows.data());
    png_write_end(writing.png, nullptr);
}

void WriteOversizedPng(const std::string& path, uint32_t width, uint32_t height) {
    const auto word = [](uint32_t value) {
        return std::string{char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    };
    const auto chunk = [&](const std::string& type, const std::string& data) {
        uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char byte : type + data) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            }
        }
        return word(static_cast<uint32_t>(data.size())) + type + data + word(~crc);
    };
    const std::string header = word(width) + word(height) + std::string{8, PNG_COLOR_TYPE_GRAY, 0, 0, 0};
    std::ofstream(path, std::ios::binary) << "\x89PNG\r\n\x1a\n"
                                          << chunk("IHDR", header) << chunk("IDAT", "") << chunk("IEND", "");
}
