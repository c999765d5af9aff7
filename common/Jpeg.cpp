#include "Jpeg.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace kx {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return; jumping back
// to the decoder turns it into a null image instead of ending the program.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr) {} // warnings of a damaged stream: the picture still shows

// Everything the decoder changes lives here, outside the frame of setjmp, so it keeps its
// value after a jump.
struct Decoding {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    QImage image;
};

bool decode(Decoding& d, const unsigned char* data, unsigned long size) {
    d.cinfo.err = jpeg_std_error(&d.err.pub);
    d.err.pub.error_exit = onError;
    d.err.pub.output_message = onMessage;
    if (setjmp(d.err.jump)) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    jpeg_create_decompress(&d.cinfo);
    jpeg_mem_src(&d.cinfo, data, size);
    jpeg_read_header(&d.cinfo, TRUE);

    QImage::Format format = QImage::Format_RGB888;
    switch (d.cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        d.cinfo.out_color_space = JCS_GRAYSCALE;
        format = QImage::Format_Grayscale8;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        d.cinfo.out_color_space = JCS_CMYK;
        format = QImage::Format_RGB32;
        break;
    default:
        d.cinfo.out_color_space = JCS_RGB;
        break;
    }
    jpeg_start_decompress(&d.cinfo);

    d.image = QImage(int(d.cinfo.output_width), int(d.cinfo.output_height), format);
    if (d.image.isNull()) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    const bool cmyk = d.cinfo.out_color_space == JCS_CMYK;
    // A CMYK row needs 4 bytes a pixel, as an RGB32 row has.
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        JSAMPROW row = d.image.scanLine(int(d.cinfo.output_scanline));
        jpeg_read_scanlines(&d.cinfo, &row, 1);
        if (cmyk) {
            // Adobe writes CMYK inverted: the stored bytes are 255 - ink.
            auto* px = reinterpret_cast<QRgb*>(row);
            for (JDIMENSION x = 0; x < d.cinfo.output_width; ++x) {
                const unsigned char* p = row + x * 4;
                const int k = p[3];
                px[x] = qRgb(p[0] * k / 255, p[1] * k / 255, p[2] * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&d.cinfo);
    jpeg_destroy_decompress(&d.cinfo);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data) {
    if (data.isEmpty()) return {};
    Decoding d;
    if (!decode(d, reinterpret_cast<const unsigned char*>(data.constData()),
                static_cast<unsigned long>(data.size())))
        return {};
    return d.image;
}

QImage loadJpeg(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return decodeJpeg(file.readAll());
}

} // namespace kx
