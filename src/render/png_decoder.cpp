#include "render/png_decoder.h"

#include <png.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "portability.h"
#include "render/asset_loader.h"
#include "render/heap_block.h"

namespace {

constexpr size_t SIGNATURE_BYTES = 8;
constexpr size_t PIXEL_BYTES = 4;

// libpng's structures for one picture and the message of its last failure.
struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::string error;

    PngReader() = default;
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
    ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
};

// libpng reports a failure here and expects no return: the message is kept for our own line
// (libpng's default would print it on standard error) and the step that was running ends.
[[noreturn]] void KeepError(png_structp png, png_const_charp message) {
    static_cast<PngReader*>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

// Warnings (an unusual colour profile, an unknown chunk) do not stop the picture.
void IgnoreWarning(png_structp, png_const_charp) {}

void ReadFromFile(png_structp png, png_bytep data, size_t length) {
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fread(data, 1, length, file) != length) {
        png_error(png, std::ferror(file) ? std::strerror(errno) : "the file is cut short");
    }
}

// The steps that call libpng, each returning false with reader.error when libpng gave up. They
// hold nothing that needs destroying, since a failure leaves them by longjmp.
bool ReadHeader(PngReader& reader, std::FILE* file) {
    if (setjmp(png_jmpbuf(reader.png)) != 0) {
        return false;
    }
    png_set_read_fn(reader.png, file, ReadFromFile);
    png_set_sig_bytes(reader.png, SIGNATURE_BYTES);
    png_read_info(reader.png, reader.info);
    return true;
}

bool AskForBlueGreenRedAlpha(PngReader& reader) {
    if (setjmp(png_jmpbuf(reader.png)) != 0) {
        return false;
    }
    png_set_expand(reader.png);  // palette to colour, grey below 8 bits to 8, transparency to alpha
    png_set_scale_16(reader.png);
    png_set_gray_to_rgb(reader.png);
    png_set_bgr(reader.png);
    png_set_filler(reader.png, 0xFF, PNG_FILLER_AFTER);  // opaque where the picture has no alpha
    png_set_interlace_handling(reader.png);
    png_read_update_info(reader.png, reader.info);
    return true;
}

bool ReadRows(PngReader& reader, png_bytepp rows) {
    if (setjmp(png_jmpbuf(reader.png)) != 0) {
        return false;
    }
    png_read_image(reader.png, rows);
    return true;
}

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
    throw AssetError(path + ": cannot decode picture: " + reason);
}

void CheckSignature(std::FILE* file, const std::string& path) {
    png_byte signature[SIGNATURE_BYTES] = {};
    const size_t got = std::fread(signature, 1, SIGNATURE_BYTES, file);
    if (std::ferror(file)) {
        Refuse(path, std::strerror(errno));
    }
    if (got < SIGNATURE_BYTES || png_sig_cmp(signature, 0, SIGNATURE_BYTES) != 0) {
        Refuse(path, "not a PNG file");
    }
}

}  // namespace

std::unique_ptr<Image> DecodePng(std::FILE* file, const std::string& path,
                                 const PictureSizeCheck& checkSize) {
    CheckSignature(file, path);
    PngReader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, KeepError, IgnoreWarning);
    reader.info = reader.png != nullptr ? png_create_info_struct(reader.png) : nullptr;
    if (reader.info == nullptr) {
        Refuse(path, "out of memory");
    }
    if (!ReadHeader(reader, file)) {
        Refuse(path, reader.error);
    }
    const uint32_t width = png_get_image_width(reader.png, reader.info);
    const uint32_t height = png_get_image_height(reader.png, reader.info);
    checkSize(width, height);
    if (!AskForBlueGreenRedAlpha(reader)) {
        Refuse(path, reader.error);
    }
    if (png_get_rowbytes(reader.png, reader.info) != width * PIXEL_BYTES) {
        Refuse(path, "unexpected row layout after conversion");
    }
    auto image = std::make_unique<Image>();
    image->width = static_cast<uint16_t>(width);
    image->height = static_cast<uint16_t>(height);
    // Every pixel is written by the decoder, so the block is not cleared first.
    const size_t pixels = static_cast<size_t>(width) * height;
    image->pixels = MakeUninitialized<uint32_t[]>(pixels);
    PrefaultForWriting(image->pixels.get(), pixels * sizeof(uint32_t));
    std::vector<png_bytep> rows(height);
    for (uint32_t y = 0; y < height; ++y) {
        rows[y] = reinterpret_cast<png_bytep>(image->pixels.get() + static_cast<size_t>(y) * width);
    }
    if (!ReadRows(reader, rows.data())) {
        Refuse(path, reader.error);
    }
    return image;
}
