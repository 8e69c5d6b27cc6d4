#include "reference_codecs.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace bench {

using pictorn::imaging::rgb;

namespace {

std::optional<Picture> fromPngImage(png_image& image, bool ok) {
    if (!ok) {
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGB;
    Bytes rgbBytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgbBytes.data(), 0, nullptr)) {
        return std::nullopt;
    }
    Picture p(static_cast<int>(image.width), static_cast<int>(image.height));
    for (std::size_t i = 0; i < p.pixels.size(); ++i) {
        p.pixels[i] = rgb(rgbBytes[3 * i], rgbBytes[3 * i + 1], rgbBytes[3 * i + 2]);
    }
    return p;
}

} // namespace

std::optional<Picture> readPngFile(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    return fromPngImage(image, png_image_begin_read_from_file(&image, path.c_str()) != 0);
}

std::optional<Picture> decodePngBytes(const Bytes& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    return fromPngImage(image,
                        png_image_begin_read_from_memory(&image, file.data(), file.size()) != 0);
}

Bytes libpngEncode(const Picture& picture, int level, bool adaptiveFilter) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes out;
    Bytes row(static_cast<std::size_t>(picture.width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed");
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_compression_level(png, level);
    png_set_filter(png, 0, adaptiveFilter ? PNG_ALL_FILTERS : PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint32_t* src = picture.row(y);
        for (int x = 0; x < picture.width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(src[x] >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes libjpegEncode(const Picture& picture, int quality) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.width);
    cinfo.image_height = static_cast<JDIMENSION>(picture.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(static_cast<std::size_t>(picture.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint32_t* src = picture.row(static_cast<int>(cinfo.next_scanline));
        for (int x = 0; x < picture.width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(src[x] >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(src[x]);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

std::optional<Picture> libjpegDecode(const Bytes& file) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jerr.error_exit = [](j_common_ptr) {
        throw std::runtime_error("libjpeg failed");
    };
    jpeg_create_decompress(&cinfo);
    std::optional<Picture> result;
    try {
        jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&cinfo);
        Picture p(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
        Bytes row(static_cast<std::size_t>(p.width) * 3);
        while (cinfo.output_scanline < cinfo.output_height) {
            std::uint32_t* dst = p.row(static_cast<int>(cinfo.output_scanline));
            JSAMPROW r = row.data();
            jpeg_read_scanlines(&cinfo, &r, 1);
            for (int x = 0; x < p.width; ++x) {
                dst[x] = rgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
            }
        }
        jpeg_finish_decompress(&cinfo);
        result = std::move(p);
    } catch (const std::runtime_error&) {
    }
    jpeg_destroy_decompress(&cinfo);
    return result;
}

std::optional<Picture> giflibDecode(const Bytes& file) {
    struct Reader {
        const Bytes* data;
        std::size_t at;
    } reader{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(
        &reader,
        [](GifFileType* g, GifByteType* dst, int n) {
            auto* r = static_cast<Reader*>(g->UserData);
            const std::size_t take =
                std::min<std::size_t>(static_cast<std::size_t>(n), r->data->size() - r->at);
            std::memcpy(dst, r->data->data() + r->at, take);
            r->at += take;
            return static_cast<int>(take);
        },
        &error);
    if (gif == nullptr) {
        return std::nullopt;
    }
    std::optional<Picture> result;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        const SavedImage& frame = gif->SavedImages[0];
        const ColorMapObject* map =
            frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        Picture p(frame.ImageDesc.Width, frame.ImageDesc.Height);
        for (std::size_t i = 0; i < p.pixels.size(); ++i) {
            const GifColorType c = map->Colors[frame.RasterBits[i]];
            p.pixels[i] = rgb(c.Red, c.Green, c.Blue);
        }
        result = std::move(p);
    }
    DGifCloseFile(gif, &error);
    return result;
}

double psnr(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) {
        return 0;
    }
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            const int d = int((a.pixels[i] >> shift) & 0xFF) - int((b.pixels[i] >> shift) & 0xFF);
            sum += d * d;
        }
    }
    const double mse = sum / (3.0 * static_cast<double>(a.pixels.size()));
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

} // namespace bench
