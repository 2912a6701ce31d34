#include "update/JpegDecoder.h"

#include "update/EJpegError.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h> // needs size_t and FILE declared first

namespace {

const char* const MessagePrefix = "Cannot decode picture: ";

// libjpeg reports through this manager. Its default error_exit calls exit(),
// which must never happen inside a GUI program, so errors jump back to the
// decoding frame instead; warnings are only counted and the first one kept,
// and nothing is written to stderr.
struct TErrorManager {
    jpeg_error_mgr Base; // first member: libjpeg hands us a pointer to it
    std::jmp_buf Escape;
    char Error[JMSG_LENGTH_MAX];
    char FirstWarning[JMSG_LENGTH_MAX];
};

TErrorManager& Manager(j_common_ptr cinfo)
{
    return *reinterpret_cast<TErrorManager*>(cinfo->err);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    TErrorManager& manager = Manager(cinfo);
    (*cinfo->err->format_message)(cinfo, manager.Error);
    std::longjmp(manager.Escape, 1);
}

void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0) // trace messages
        return;
    TErrorManager& manager = Manager(cinfo);
    if (cinfo->err->num_warnings == 0)
        (*cinfo->err->format_message)(cinfo, manager.FirstWarning);
    ++cinfo->err->num_warnings;
}

void OutputMessage(j_common_ptr) {}

// The libjpeg calls. Every object touched after setjmp lives in the caller's
// frame and is reached through a reference, and no frame that longjmp leaves
// holds an object with a destructor, so the jump back is well defined.
// Returns false with manager.Error set when libjpeg gave up.
bool Run(std::span<const unsigned char> data, jpeg_decompress_struct& cinfo, TErrorManager& manager, QImage& image)
{
    if (setjmp(manager.Escape))
        return false;

    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&cinfo);
    // The size comes from the file: check it before taking memory for it.
    const std::size_t pixels = static_cast<std::size_t>(cinfo.output_width) * cinfo.output_height;
    if (pixels > TJpegDecoder::MaxPixels || cinfo.output_components != 3) {
        std::snprintf(manager.Error, sizeof manager.Error, "unsupported picture of %u x %u pixels, %d components",
                      cinfo.output_width, cinfo.output_height, cinfo.output_components);
        return false;
    }

    image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height), QImage::Format_RGB888);
    if (image.isNull()) {
        std::snprintf(manager.Error, sizeof manager.Error, "out of memory");
        return false;
    }
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

QImage TJpegDecoder::Decode(std::span<const unsigned char> data)
{
    jpeg_decompress_struct cinfo{};
    TErrorManager manager{};
    cinfo.err = jpeg_std_error(&manager.Base);
    manager.Base.error_exit = ErrorExit;
    manager.Base.emit_message = EmitMessage;
    manager.Base.output_message = OutputMessage;

    QImage image;
    const bool decoded = Run(data, cinfo, manager, image);
    const long warnings = manager.Base.num_warnings;
    jpeg_destroy_decompress(&cinfo);

    if (!decoded)
        throw EJpegError(std::string(MessagePrefix) + manager.Error);
    // libjpeg decodes a cut-off or damaged picture "successfully", filling what
    // is missing with grey and leaving only a warning: that is a refusal too.
    if (warnings > 0)
        throw EJpegError(std::string(MessagePrefix) + manager.FirstWarning);
    return image;
}
