// The JPEG codec calls behind TJPEGImage, through the IJG 6b interface.
//
// Errors: the codec reports a fatal error by calling its error manager's error_exit, which must
// not return. Ours formats the codec's message and longjmps back to the setjmp in Decompress or
// Compress; a C++ exception is never thrown through the codec's frames (plain C, built without
// -fexceptions: nothing promises that they can be unwound). Those two functions hold
// nothing with a destructor, so the jump skips no clean-up; the codec's state and our buffers
// belong to the callers' owners, which release them on every path. Warnings (a truncated or
// slightly damaged file still decodes) are not printed.
//
// Pixels go straight between the codec and DIB rows: the codec reads and writes blue-green-red
// triples (its BGR colour-space extension), which is the byte order of a 24-bit DIB row. The
// frame's size is checked against the picture limits before the bitmap is made: a few header
// bytes could otherwise have the codec decode for seconds into gigabytes.
#include "framework/Jpeg.h"
#include "framework/PictureLimits.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace {

struct TErrorManager {
    jpeg_error_mgr Public; // first: the codec hands back a pointer to it
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr codec) {
    auto* errors = reinterpret_cast<TErrorManager*>(codec->err);
    codec->err->format_message(codec, errors->Message);
    std::longjmp(errors->Jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

jpeg_error_mgr* ErrorManager(TErrorManager& errors) {
    jpeg_error_mgr* manager = jpeg_std_error(&errors.Public);
    manager->error_exit = ErrorExit;
    manager->output_message = IgnoreMessage;
    return manager;
}

[[noreturn]] void RaiseCodecError(const TErrorManager& errors) {
    UnicodeString message = L"JPEG image is not valid: ";
    for (const char* c = errors.Message; *c; ++c) message += static_cast<wchar_t>(Byte(*c));
    throw EInvalidGraphic(message);
}

// ---- decoding ---------------------------------------------------------------------------------

struct TDecoder {
    TErrorManager Errors{};
    jpeg_decompress_struct Codec{}; // zeroed: destroying it is safe even if creating failed
    ~TDecoder() { jpeg_destroy_decompress(&Codec); }
};

// False (with the codec's message in the error manager) when the codec failed.
bool Decompress(TDecoder& decoder, const std::vector<Byte>& data, TBitmap& target) {
    jpeg_decompress_struct& codec = decoder.Codec;
    if (setjmp(decoder.Errors.Jump)) return false;
    jpeg_create_decompress(&codec);
    jpeg_mem_src(&codec, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&codec, TRUE);
    // Our own frame, not the codec's: the exception unwinds nothing of its C code.
    CheckPictureSize(codec.image_width, codec.image_height, L"JPEG");
    codec.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&codec);
    target.SetPixelFormat(pf24bit);
    target.SetSize(int(codec.output_width), int(codec.output_height));
    while (codec.output_scanline < codec.output_height) {
        JSAMPROW row = static_cast<JSAMPROW>(target.ScanLine(int(codec.output_scanline)));
        jpeg_read_scanlines(&codec, &row, 1);
    }
    jpeg_finish_decompress(&codec);
    return true;
}

// ---- encoding ---------------------------------------------------------------------------------

// A destination that collects the compressed bytes in a vector. Growing the vector may throw;
// the exception is caught here and turned into the codec's out-of-memory error, so that it
// never crosses the codec's frames.
struct TVectorDestination {
    jpeg_destination_mgr Public; // first: the codec hands back a pointer to it
    std::vector<Byte>* Output;
    JOCTET Buffer[16384];
};

void InitDestination(j_compress_ptr codec) {
    auto* destination = reinterpret_cast<TVectorDestination*>(codec->dest);
    destination->Public.next_output_byte = destination->Buffer;
    destination->Public.free_in_buffer = sizeof(destination->Buffer);
}

// Appends the first `count` bytes of the buffer; false when memory ran out.
bool Flush(TVectorDestination& destination, std::size_t count) noexcept {
    try {
        destination.Output->insert(destination.Output->end(), destination.Buffer,
                                   destination.Buffer + count);
        return true;
    } catch (...) {
        return false;
    }
}

boolean EmptyOutputBuffer(j_compress_ptr codec) {
    auto* destination = reinterpret_cast<TVectorDestination*>(codec->dest);
    if (!Flush(*destination, sizeof(destination->Buffer))) ERREXIT1(codec, JERR_OUT_OF_MEMORY, 0);
    InitDestination(codec);
    return TRUE;
}

void TermDestination(j_compress_ptr codec) {
    auto* destination = reinterpret_cast<TVectorDestination*>(codec->dest);
    const std::size_t used = sizeof(destination->Buffer) - destination->Public.free_in_buffer;
    if (!Flush(*destination, used)) ERREXIT1(codec, JERR_OUT_OF_MEMORY, 0);
}

struct TEncoder {
    TErrorManager Errors{};
    jpeg_compress_struct Codec{};
    TVectorDestination Destination{};
    ~TEncoder() { jpeg_destroy_compress(&Codec); }
};

bool Compress(TEncoder& encoder, TBitmap& source, int quality) {
    jpeg_compress_struct& codec = encoder.Codec;
    if (setjmp(encoder.Errors.Jump)) return false;
    jpeg_create_compress(&codec);
    encoder.Destination.Public = {nullptr, 0, InitDestination, EmptyOutputBuffer, TermDestination};
    codec.dest = &encoder.Destination.Public;
    codec.image_width = JDIMENSION(source.Width());
    codec.image_height = JDIMENSION(source.Height());
    codec.input_components = 3;
    codec.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&codec);
    jpeg_set_quality(&codec, quality, TRUE);
    jpeg_start_compress(&codec, TRUE);
    while (codec.next_scanline < codec.image_height) {
        JSAMPROW row = static_cast<JSAMPROW>(source.ScanLine(int(codec.next_scanline)));
        jpeg_write_scanlines(&codec, &row, 1);
    }
    jpeg_finish_compress(&codec);
    return true;
}

} // namespace

bool jpeg_detail::Decode(const std::vector<Byte>& data, TBitmap& target) {
    TDecoder decoder;
    decoder.Codec.err = ErrorManager(decoder.Errors);
    if (!Decompress(decoder, data, target)) RaiseCodecError(decoder.Errors);
    return decoder.Codec.jpeg_color_space == JCS_GRAYSCALE;
}

std::vector<Byte> jpeg_detail::Encode(TBitmap& source, int quality) {
    if (source.PixelFormat() != pf24bit)
        throw EInvalidGraphicOperation(L"Only 24-bit bitmaps are compressed");
    std::vector<Byte> output;
    TEncoder encoder;
    encoder.Destination.Output = &output;
    encoder.Codec.err = ErrorManager(encoder.Errors);
    if (!Compress(encoder, source, quality)) RaiseCodecError(encoder.Errors);
    return output;
}
