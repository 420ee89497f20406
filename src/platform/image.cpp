// Decodes the game's PNG and JPEG pictures into RGBA pixmaps and cuts them into the
// image frames that sprites, backgrounds and fonts draw with.
#include "platform/image.h"

#include <png.h>
#include <sys/stat.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "platform/files.h"
#include "platform/runtime.h"

namespace {

// Larger pictures are certainly corrupt headers, not game art; refusing them keeps a
// broken file from asking for gigabytes.
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

bool SizeAllowed(int width, int height) {
    return width >= 0 && height >= 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           static_cast<int64_t>(width) * height <= kMaxPicturePixels;
}

// ---------------------------------------------------------------------------
// PNG. libpng reports errors by longjmp, so everything that must survive one lives in
// this struct, owned by the caller of the function that calls setjmp.
struct PngDecode {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
};

void PngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* d = static_cast<PngDecode*>(png_get_io_ptr(png));
    if (length > d->size - d->pos) png_error(png, "truncated");
    std::memcpy(out, d->data + d->pos, length);
    d->pos += length;
}

// Returning makes libpng longjmp; the messages would only clutter the console.
void PngError(png_structp, png_const_charp) {}
void PngWarning(png_structp, png_const_charp) {}

bool PngDecodeInto(png_structp png, png_infop info, PngDecode* d) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, d, PngRead);
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_read_info(png, info);
    int colorType = png_get_color_type(png, info);
    d->hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    // Palette, small grey depths and tRNS all widen to 8-bit RGBA.
    png_set_expand(png);
    png_set_strip_16(png);
    if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if (!d->hasAlpha) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    d->width = static_cast<int>(png_get_image_width(png, info));
    d->height = static_cast<int>(png_get_image_height(png, info));
    if (!SizeAllowed(d->width, d->height)) return false;
    if (png_get_rowbytes(png, info) != static_cast<size_t>(d->width) * 4) return false;
    d->pixels.resize(static_cast<size_t>(d->width) * d->height * 4);
    d->rows.resize(d->height);
    for (int y = 0; y < d->height; ++y) d->rows[y] = d->pixels.data() + static_cast<size_t>(y) * d->width * 4;
    png_read_image(png, d->rows.data());
    return true;
}

TPixmapPtr DecodePng(const std::string& bytes) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png) return nullptr;
    png_infop info = png_create_info_struct(png);
    PngDecode d;
    d.data = reinterpret_cast<const uint8_t*>(bytes.data());
    d.size = bytes.size();
    bool ok = info && PngDecodeInto(png, info, &d);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (!ok) return nullptr;
    auto p = std::make_shared<TPixmap>();
    p->width = d.width;
    p->height = d.height;
    p->pitch = d.width;
    p->hasAlpha = d.hasAlpha;
    p->pixels = std::make_shared<std::vector<uint8_t>>(std::move(d.pixels));
    return p;
}

// ---------------------------------------------------------------------------
// JPEG. libjpeg would exit() on an error by default; ours longjmps back instead.
struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
    bool truncated = false;
};

void JpegErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }

void JpegMessage(j_common_ptr cinfo, int level) {
    // A file cut short decodes as grey filler; treat it as the broken file it is.
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) reinterpret_cast<JpegError*>(cinfo->err)->truncated = true;
}

struct JpegDecode {
    jpeg_decompress_struct cinfo;
    JpegError err;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // 3 or 4 (CMYK) bytes a pixel
    int components = 0;
};

bool JpegDecodeInto(const std::string& bytes, JpegDecode* d) {
    if (setjmp(d->err.jump)) return false;
    jpeg_mem_src(&d->cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&d->cinfo, TRUE);
    if (!SizeAllowed(static_cast<int>(d->cinfo.image_width), static_cast<int>(d->cinfo.image_height))) return false;
    bool cmyk = d->cinfo.jpeg_color_space == JCS_CMYK || d->cinfo.jpeg_color_space == JCS_YCCK;
    d->cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&d->cinfo);
    d->width = static_cast<int>(d->cinfo.output_width);
    d->height = static_cast<int>(d->cinfo.output_height);
    d->components = d->cinfo.output_components;
    if (d->components != 3 && d->components != 4) return false;
    size_t stride = static_cast<size_t>(d->width) * d->components;
    d->rgb.resize(stride * d->height);
    while (d->cinfo.output_scanline < d->cinfo.output_height) {
        JSAMPROW row = d->rgb.data() + stride * d->cinfo.output_scanline;
        jpeg_read_scanlines(&d->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&d->cinfo);
    return !d->err.truncated;
}

TPixmapPtr DecodeJpeg(const std::string& bytes) {
    JpegDecode d;
    d.cinfo.err = jpeg_std_error(&d.err.mgr);
    d.err.mgr.error_exit = JpegErrorExit;
    d.err.mgr.emit_message = JpegMessage;
    jpeg_create_decompress(&d.cinfo);
    bool ok = JpegDecodeInto(bytes, &d);
    jpeg_destroy_decompress(&d.cinfo);
    if (!ok) return nullptr;
    TPixmapPtr p = CreatePixmap(d.width, d.height, false);
    uint8_t* out = p->pixels->data();
    const uint8_t* in = d.rgb.data();
    size_t count = static_cast<size_t>(d.width) * d.height;
    for (size_t i = 0; i < count; ++i, in += d.components, out += 4) {
        if (d.components == 3) {
            out[0] = in[0], out[1] = in[1], out[2] = in[2];
        } else {
            // CMYK JPEGs come from Adobe tools, which store the inks inverted.
            out[0] = static_cast<uint8_t>(in[0] * in[3] / 255);
            out[1] = static_cast<uint8_t>(in[1] * in[3] / 255);
            out[2] = static_cast<uint8_t>(in[2] * in[3] / 255);
        }
        out[3] = 255;
    }
    return p;
}

bool StartsWith(const std::string& bytes, const char* magic, size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

int ResolveFlags(int flags) { return flags == -1 ? MASKEDIMAGE | FILTEREDIMAGE : flags & 7; }

// A packed copy of one rectangle, with black made transparent when the image is masked.
TPixmapPtr MakeFrame(const TPixmapPtr& source, int flags) {
    TPixmapPtr frame = CopyPixmap(source);
    if (!(flags & MASKEDIMAGE) || source->hasAlpha) return frame;
    uint8_t* px = frame->pixels->data();
    size_t count = static_cast<size_t>(frame->width) * frame->height;
    for (size_t i = 0; i < count; ++i, px += 4) {
        if (px[0] == 0 && px[1] == 0 && px[2] == 0) px[3] = 0;
    }
    frame->hasAlpha = true;  // the frame now carries transparency the uploader must keep
    return frame;
}

}  // namespace

TImage::~TImage() { ReleaseTextures(textures); }

TPixmapPtr CreatePixmap(int width, int height, bool hasAlpha) {
    if (!SizeAllowed(width, height)) return nullptr;
    auto p = std::make_shared<TPixmap>();
    p->width = width;
    p->height = height;
    p->pitch = width;
    p->hasAlpha = hasAlpha;
    p->pixels = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(width) * height * 4, 0);
    return p;
}

TPixmapPtr LoadPixmap(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return nullptr;
    return LoadPixmapFromMemory(bytes);
}

TPixmapPtr LoadPixmapFromMemory(const std::string& bytes) {
    if (StartsWith(bytes, "\x89PNG\r\n\x1a\n", 8)) return DecodePng(bytes);
    if (StartsWith(bytes, "\xff\xd8\xff", 3)) return DecodeJpeg(bytes);
    return nullptr;
}

TPixmapPtr PixmapWindow(const TPixmapPtr& pixmap, int x, int y, int w, int h) {
    if (!pixmap || x < 0 || y < 0 || w < 0 || h < 0) return nullptr;
    if (static_cast<int64_t>(x) + w > pixmap->width || static_cast<int64_t>(y) + h > pixmap->height) return nullptr;
    auto p = std::make_shared<TPixmap>(*pixmap);
    p->width = w;
    p->height = h;
    p->offset = pixmap->offset + y * pixmap->pitch + x;
    return p;
}

TPixmapPtr CopyPixmap(const TPixmapPtr& pixmap) {
    if (!pixmap) return nullptr;
    TPixmapPtr p = CreatePixmap(pixmap->width, pixmap->height, pixmap->hasAlpha);
    size_t rowBytes = static_cast<size_t>(pixmap->width) * 4;
    for (int y = 0; y < pixmap->height && rowBytes; ++y)
        std::memcpy(p->PixelPtr(0, y), pixmap->PixelPtr(0, y), rowBytes);
    return p;
}

TImagePtr LoadImage(const std::string& path, int flags) { return LoadImage(LoadPixmap(path), flags); }

TImagePtr LoadImage(const TPixmapPtr& pixmap, int flags) {
    if (!pixmap || pixmap->width < 1 || pixmap->height < 1) return nullptr;
    return LoadAnimImage(pixmap, pixmap->width, pixmap->height, 0, 1, flags);
}

TImagePtr LoadAnimImage(const std::string& path, int cellW, int cellH, int first, int count, int flags) {
    return LoadAnimImage(LoadPixmap(path), cellW, cellH, first, count, flags);
}

TImagePtr LoadAnimImage(const TPixmapPtr& pixmap, int cellW, int cellH, int first, int count, int flags) {
    if (!pixmap || cellW < 1 || cellH < 1 || first < 0 || count < 1) return nullptr;
    int columns = pixmap->width / cellW;
    int64_t cells = static_cast<int64_t>(columns) * (pixmap->height / cellH);
    if (static_cast<int64_t>(first) + count > cells) return nullptr;
    auto image = std::make_shared<TImage>();
    image->width = cellW;
    image->height = cellH;
    image->flags = ResolveFlags(flags);
    for (int i = 0; i < count; ++i) {
        int cell = first + i;
        TPixmapPtr window = PixmapWindow(pixmap, cell % columns * cellW, cell / columns * cellH, cellW, cellH);
        image->frames.push_back(MakeFrame(window, image->flags));
    }
    image->textures.resize(count);
    return image;
}

int ImageWidth(const TImagePtr& image) { return image ? image->width : 0; }
int ImageHeight(const TImagePtr& image) { return image ? image->height : 0; }
int ImageFrames(const TImagePtr& image) { return image ? static_cast<int>(image->frames.size()) : 0; }

void SetImageHandle(const TImagePtr& image, float x, float y) {
    if (!image) return;
    image->handleX = x;
    image->handleY = y;
}

void MidHandleImage(const TImagePtr& image) {
    if (image) SetImageHandle(image, image->width / 2.0f, image->height / 2.0f);
}
