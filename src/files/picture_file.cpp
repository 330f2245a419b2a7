#include "files/picture_file.h"

#include <png.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

bool EndsWithIgnoringCase(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

size_t PixelCount(const PictureView& picture) {
    return static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
}

std::string WriteRaw(std::FILE* stream, const PictureView& picture) {
    std::vector<uint8_t> bytes(PixelCount(picture) * 4);
    for (size_t i = 0; i < PixelCount(picture); ++i) {
        for (int b = 0; b < 4; ++b) {
            bytes[i * 4 + b] = static_cast<uint8_t>(picture.pixels[i] >> (8 * b));
        }
    }
    std::fwrite(bytes.data(), 1, bytes.size(), stream);  // checked, with the close, by the caller
    return "";
}

// libpng's errors end the encoding through its jump buffer; its messages are for the failure
// reported by the caller, not for standard error.
[[noreturn]] void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// Encodes `rgb` (rows of red, green, blue bytes) as a PNG into `stream`; the reason on failure.
std::string EncodePng(std::FILE* stream, std::vector<uint8_t>& rgb, int width, int height,
                      PngFilters filters) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return "cannot write PNG: out of memory";
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        rows[y] = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return "cannot write PNG";
    }
    png_init_io(png, stream);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (filters == PngFilters::None) {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    }
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return "";
}

std::string WritePng(std::FILE* stream, const PictureView& picture, PngFilters filters) {
    // Red, green and blue only: the fourth byte is never shown.
    std::vector<uint8_t> rgb(PixelCount(picture) * 3);
    for (size_t i = 0; i < PixelCount(picture); ++i) {
        rgb[i * 3 + 0] = static_cast<uint8_t>(picture.pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<uint8_t>(picture.pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<uint8_t>(picture.pixels[i]);
    }
    // The encoder's writes go through the stream, whose error flag the caller checks: a failed
    // write is reported with its reason.
    const std::string failure = EncodePng(stream, rgb, picture.width, picture.height, filters);
    return std::ferror(stream) == 0 ? failure : "";
}

std::string WriteReason(int error) {
    return std::string("cannot write: ") + std::strerror(error != 0 ? error : EIO);
}

}  // namespace

PictureFileKind PictureFileKindOf(const std::string& path) {
    if (EndsWithIgnoringCase(path, ".png")) {
        return PictureFileKind::Png;
    }
    return EndsWithIgnoringCase(path, ".bgra") ? PictureFileKind::Raw : PictureFileKind::None;
}

std::string WritePictureFile(const OutputFile& file, const PictureView& picture, PngFilters filters,
                             int64_t* bytes) {
    const int descriptor = OpenReservedFile(file);
    std::FILE* stream = descriptor < 0 ? nullptr : fdopen(descriptor, "wb");
    if (stream == nullptr) {
        const std::string failure = WriteReason(errno);
        if (descriptor >= 0) {
            close(descriptor);
        }
        return failure;
    }
    std::string failure = PictureFileKindOf(file.target) == PictureFileKind::Raw
                              ? WriteRaw(stream, picture)
                              : WritePng(stream, picture, filters);
    // A failed write leaves the stream's error flag, and errno its reason; the flush retries
    // what is buffered.
    const bool written = std::fflush(stream) == 0 && std::ferror(stream) == 0;
    const int writeError = errno;
    if (bytes != nullptr) {
        *bytes = written ? static_cast<int64_t>(std::ftell(stream)) : 0;
    }
    errno = 0;
    const bool closed = std::fclose(stream) == 0;
    if (failure.empty() && (!written || !closed)) {
        failure = WriteReason(written ? errno : writeError);
    }
    return failure;
}
