#include "core/jpegimage.h"

#include <QFile>

#include <csetjmp>
#include <cstddef>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

namespace {

// Bigger pictures are refused rather than allocated: 64 Mpixel is far beyond any picture we show.
constexpr unsigned long long maxPixels = 64ULL * 1024 * 1024;

// libjpeg's error manager with the place to jump back to when the library gives up.
struct ErrorTrap
{
    jpeg_error_mgr pub; // first member: libjpeg hands us a pointer to it
    std::jmp_buf jump;
};

// Where the decoder puts the pixels; filled by the C++ side before any pixel is written.
struct PixelSink
{
    void *context;
    unsigned char *(*allocate)(void *context, int width, int height, std::ptrdiff_t *stride) noexcept;
};

// Everything the decoder touches between setjmp and a longjmp lives here, outside the frame
// that calls setjmp, so none of it becomes indeterminate after the jump.
struct DecodeState
{
    jpeg_decompress_struct cinfo;
    ErrorTrap trap;
};

void trapError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorTrap *>(cinfo->err)->jump, 1);
}

// Level -1 is a warning, which libjpeg uses for corrupt or truncated data that it would
// otherwise paper over with grey; such a picture counts as damaged. Trace levels are ignored.
void trapMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        trapError(cinfo);
}

void silence(j_common_ptr) {}

// The only function that calls libjpeg. It and its callees hold nothing but trivially
// destructible state, so the longjmp back from trapError skips no destructor.
bool decodeRaw(DecodeState *state, const unsigned char *bytes, unsigned long size, const PixelSink *sink)
{
    jpeg_decompress_struct *cinfo = &state->cinfo;
    cinfo->err = jpeg_std_error(&state->trap.pub);
    state->trap.pub.error_exit = trapError;
    state->trap.pub.emit_message = trapMessage;
    state->trap.pub.output_message = silence;
    if (setjmp(state->trap.jump)) {
        jpeg_destroy_decompress(cinfo); // safe on a partly created decompressor
        return false;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, bytes, size);
    jpeg_read_header(cinfo, TRUE);
    cinfo->out_color_space = JCS_RGB; // greyscale and YCbCr convert; CMYK is refused
    const unsigned long long pixels =
        static_cast<unsigned long long>(cinfo->image_width) * cinfo->image_height;
    if (pixels == 0 || pixels > maxPixels) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_start_decompress(cinfo);
    std::ptrdiff_t stride = 0;
    unsigned char *buffer = nullptr;
    if (cinfo->output_components == 3)
        buffer = sink->allocate(sink->context, static_cast<int>(cinfo->output_width),
                                static_cast<int>(cinfo->output_height), &stride);
    if (!buffer) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = buffer + stride * static_cast<std::ptrdiff_t>(cinfo->output_scanline);
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return true;
}

unsigned char *allocateImage(void *context, int width, int height, std::ptrdiff_t *stride) noexcept
{
    auto *image = static_cast<QImage *>(context);
    *image = QImage(width, height, QImage::Format_RGB888);
    if (image->isNull())
        return nullptr;
    *stride = image->bytesPerLine();
    return image->bits();
}

} // namespace

QImage decodeJpeg(const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    QImage image;
    const PixelSink sink{&image, allocateImage};
    DecodeState state{};
    if (!decodeRaw(&state, reinterpret_cast<const unsigned char *>(data.constData()),
                   static_cast<unsigned long>(data.size()), &sink))
        return {};
    return image;
}

QImage loadJpeg(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(file.readAll());
}
