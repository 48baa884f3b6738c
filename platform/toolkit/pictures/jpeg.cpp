#include "platform/toolkit/pictures/pictures.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <string>

#include <jpeglib.h>

namespace toolkit::pictures {

namespace {

// libjpeg's own error handler prints and calls exit(). This one jumps back to the decoder
// instead: libjpeg is C, so an exception must not unwind through it.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void on_error(j_common_ptr info)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    errors->base.format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// A negative level is a warning about damaged data, such as a file cut short (libjpeg then
// pads the picture with grey) or corrupt entropy data; such a picture is refused. Positive
// levels are trace messages, which are not wanted.
void on_message(j_common_ptr info, int level)
{
    if (level < 0)
        on_error(info);
}

// Runs libjpeg over the file into image. Returns false after an error, with its text in
// errors.message. Nothing in this frame needs destroying when libjpeg jumps out, and the
// picture lives in the caller's frame, so the jump loses nothing.
bool run_decoder(jpeg_decompress_struct& info, ErrorManager& errors,
    std::span<const std::uint8_t> file, Image& image)
{
    if (setjmp(errors.jump) != 0)
        return false;
    jpeg_create_decompress(&info);
    // The decoder's working memory grows with the declared size, which is checked below;
    // this caps whatever the coefficient buffers of a progressive file still ask for.
    info.mem->max_memory_to_use = 256L * 1024 * 1024;
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    if (static_cast<std::uint64_t>(info.image_width) * info.image_height > max_pixels) {
        std::snprintf(errors.message, sizeof errors.message, "The picture is too large");
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        std::snprintf(errors.message, sizeof errors.message, "Unsupported JPEG colour space");
        return false;
    }
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgba.assign(static_cast<std::size_t>(image.width) * image.height * 4, 255);
    // The row buffer comes from libjpeg's own pool, which jpeg_destroy_decompress frees even
    // after a jump.
    JSAMPARRAY rows = (*info.mem->alloc_sarray)(
        reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, info.output_width * 3, 1);
    const JSAMPLE* row = rows[0];
    while (info.output_scanline < info.output_height) {
        const std::size_t y = info.output_scanline;
        if (jpeg_read_scanlines(&info, rows, 1) != 1) {
            std::snprintf(errors.message, sizeof errors.message, "The JPEG file is truncated");
            return false;
        }
        std::uint8_t* out = image.rgba.data() + y * image.width * 4;
        for (std::size_t x = 0; x < static_cast<std::size_t>(image.width); ++x) {
            out[x * 4] = row[x * 3];
            out[x * 4 + 1] = row[x * 3 + 1];
            out[x * 4 + 2] = row[x * 3 + 2];
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

Image decode_jpeg(std::span<const std::uint8_t> file)
{
    if (file.empty())
        throw PictureError("The JPEG file is empty");
    jpeg_decompress_struct info {};
    ErrorManager errors {};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = on_error;
    errors.base.emit_message = on_message;
    Image image;
    const bool decoded = run_decoder(info, errors, file, image);
    jpeg_destroy_decompress(&info);
    if (!decoded)
        throw PictureError(std::string("Cannot decode the JPEG picture: ") + errors.message);
    return image;
}

} // namespace toolkit::pictures
