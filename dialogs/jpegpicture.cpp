#include "dialogs/jpegpicture.h"

#include <csetjmp>
#include <cstdio>   // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

namespace {

// Our pictures are small; anything larger is a damaged header.
constexpr JDIMENSION kMaxSide = 8192;

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// libjpeg's default handler calls exit(); jump back to the decoder instead.
[[noreturn]] void failDecode(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

// Level -1 is a corrupt-data warning (a truncated scan, a bad Huffman code):
// libjpeg would go on and paint grey or garbage, so give up instead.
void onMessage(j_common_ptr info, int level)
{
    if (level < 0)
        failDecode(info);
}

// Everything libjpeg touches lives here, outside the frame that calls setjmp,
// so nothing the jump skips needs a destructor and nothing is left
// indeterminate after it.
struct Decoder
{
    jpeg_decompress_struct info {};
    ErrorManager error {};
    QImage image;
};

bool run(Decoder *d, const unsigned char *data, unsigned long size)
{
    if (setjmp(d->error.jump))
        return false;
    jpeg_create_decompress(&d->info);
    jpeg_mem_src(&d->info, data, size);
    if (jpeg_read_header(&d->info, TRUE) != JPEG_HEADER_OK)
        return false;
    d->info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d->info);
    if (d->info.output_components != 3 || d->info.output_width == 0 || d->info.output_height == 0
        || d->info.output_width > kMaxSide || d->info.output_height > kMaxSide)
        return false;
    d->image = QImage(int(d->info.output_width), int(d->info.output_height), QImage::Format_RGB888);
    if (d->image.isNull())
        return false;
    while (d->info.output_scanline < d->info.output_height) {
        JSAMPROW row = d->image.scanLine(int(d->info.output_scanline));
        if (jpeg_read_scanlines(&d->info, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&d->info);
    return true;
}

} // namespace

QImage decodeJpeg(QByteArrayView data)
{
    if (data.isEmpty() || quint64(data.size()) > quint64(64 * 1024 * 1024))
        return {};
    Decoder decoder;
    decoder.info.err = jpeg_std_error(&decoder.error.pub);
    decoder.error.pub.error_exit = failDecode;
    decoder.error.pub.emit_message = onMessage;
    const bool ok = run(&decoder, reinterpret_cast<const unsigned char *>(data.data()),
                        static_cast<unsigned long>(data.size()));
    // Frees every block libjpeg allocated, after a failure as well.
    jpeg_destroy_decompress(&decoder.info);
    return ok ? decoder.image : QImage();
}
