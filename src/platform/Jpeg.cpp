#include "platform/Jpeg.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct GestorError {
    jpeg_error_mgr base;
    std::jmp_buf salto;
};

[[noreturn]] void SalirConError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<GestorError*>(info->err)->salto, 1);
}

void SinMensajes(j_common_ptr) {}

}  // namespace

QImage DecodificarJpeg(const QByteArray& datos) {
    if (datos.isEmpty()) return {};
    jpeg_decompress_struct info{};
    GestorError error{};
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = SalirConError;
    error.base.output_message = SinMensajes;
    // Declared before setjmp so that nothing with a destructor is skipped by the jump.
    QImage* imagen = new QImage();
    if (setjmp(error.salto)) {
        jpeg_destroy_decompress(&info);
        delete imagen;
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(datos.constData()), static_cast<unsigned long>(datos.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    *imagen = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW fila = imagen->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &fila, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    QImage r = *imagen;
    delete imagen;
    return r;
}
