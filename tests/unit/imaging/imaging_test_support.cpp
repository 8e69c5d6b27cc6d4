#include "imaging_test_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

namespace pictorn::imaging::testing {

Picture smoothPicture(int width, int height) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / std::max(1, width - 1);
            const double fy = double(y) / std::max(1, height - 1);
            p.at(x, y) = rgb(static_cast<std::uint8_t>(40 + 180 * fx),
                             static_cast<std::uint8_t>(60 + 150 * fy),
                             static_cast<std::uint8_t>(128 + 90 * std::sin(6 * fx + 4 * fy)));
        }
    }
    return p;
}

Picture noisePicture(int width, int height, unsigned seed) {
    Picture p(width, height);
    std::mt19937 random(seed);
    for (auto& px : p.pixels) {
        px = random(); // top byte set on purpose: writers must ignore it
    }
    return p;
}

Picture paletteRamp(int width, int height, int colours) {
    Picture p(width, height);
    for (std::size_t i = 0; i < p.pixels.size(); ++i) {
        const auto c = static_cast<std::uint32_t>((i / 3) % static_cast<std::size_t>(colours));
        p.pixels[i] = (c * 0x010307u * 37u) & kRgbMask; // distinct for c < 2^16
    }
    return p;
}

Picture screenLikePicture(int width, int height) {
    Picture p(width, height, rgb(240, 240, 240));
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (y % 40 < 20 && x % 300 < 200) {
                p.at(x, y) = rgb(static_cast<std::uint8_t>(x / 8), 90,
                                 static_cast<std::uint8_t>(200 - y / 8));
            }
            if ((x * 7 + y * 3) % 23 == 0 && y % 40 >= 24) {
                const auto shade = static_cast<std::uint8_t>(random() % 200);
                p.at(x, y) = rgb(shade, shade, shade); // anti-aliased glyph pixels
            }
        }
    }
    return p;
}

double psnr(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) {
        return 0;
    }
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            const int d = int((a.pixels[i] >> shift) & 0xFF) - int((b.pixels[i] >> shift) & 0xFF);
            sum += d * d;
        }
    }
    const double mse = sum / (3.0 * a.pixels.size());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool samePixels(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        if ((a.pixels[i] & kRgbMask) != (b.pixels[i] & kRgbMask)) {
            return false;
        }
    }
    return true;
}

PngInfo decodePng(const std::vector<std::uint8_t>& file) {
    PngInfo info;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
        ADD_FAILURE() << "libpng: " << image.message;
        return info;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgbBytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgbBytes.data(), 0, nullptr)) {
        ADD_FAILURE() << "libpng: " << image.message;
        return info;
    }
    info.picture = Picture(static_cast<int>(image.width), static_cast<int>(image.height));
    for (std::size_t i = 0; i < info.picture.pixels.size(); ++i) {
        info.picture.pixels[i] = rgb(rgbBytes[3 * i], rgbBytes[3 * i + 1], rgbBytes[3 * i + 2]);
    }
    // IHDR sits at a fixed place: bit depth at 24, colour type at 25.
    info.bitDepth = file.size() > 25 ? file[24] : -1;
    info.colourType = file.size() > 25 ? file[25] : -1;
    return info;
}

Picture decodeJpeg(const std::vector<std::uint8_t>& file) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jerr.error_exit = [](j_common_ptr c) {
        throw std::runtime_error(c->err->jpeg_message_table[c->err->msg_code]);
    };
    Picture picture;
    try {
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&cinfo);
        picture =
            Picture(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
        std::vector<std::uint8_t> line(cinfo.output_width * 3);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = line.data();
            const int y = static_cast<int>(cinfo.output_scanline);
            jpeg_read_scanlines(&cinfo, &row, 1);
            for (int x = 0; x < picture.width; ++x) {
                picture.at(x, y) = rgb(line[3 * x], line[3 * x + 1], line[3 * x + 2]);
            }
        }
        jpeg_finish_decompress(&cinfo);
        // libjpeg reads past damage such as a misplaced restart marker with only a warning.
        EXPECT_EQ(jerr.num_warnings, 0) << "libjpeg found corrupt data";
    } catch (const std::exception& e) {
        ADD_FAILURE() << "libjpeg: " << e.what();
        picture = {};
    }
    jpeg_destroy_decompress(&cinfo);
    return picture;
}

GifInfo decodeGif(const std::vector<std::uint8_t>& file) {
    struct Reader {
        const std::vector<std::uint8_t>* data;
        std::size_t at = 0;
    } reader{&file};
    auto read = [](GifFileType* gif, GifByteType* dst, int n) -> int {
        auto* r = static_cast<Reader*>(gif->UserData);
        const std::size_t take =
            std::min<std::size_t>(static_cast<std::size_t>(n), r->data->size() - r->at);
        std::memcpy(dst, r->data->data() + r->at, take);
        r->at += take;
        return static_cast<int>(take);
    };
    GifInfo info;
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, read, &error);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        ADD_FAILURE() << "giflib: " << GifErrorString(gif ? gif->Error : error);
        if (gif) {
            DGifCloseFile(gif, &error);
        }
        return info;
    }
    const SavedImage& frame = gif->SavedImages[0];
    const ColorMapObject* map =
        frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    info.colourCount = map->ColorCount;
    info.picture = Picture(frame.ImageDesc.Width, frame.ImageDesc.Height);
    for (std::size_t i = 0; i < info.picture.pixels.size(); ++i) {
        const GifColorType c = map->Colors[frame.RasterBits[i]];
        info.picture.pixels[i] = rgb(c.Red, c.Green, c.Blue);
    }
    DGifCloseFile(gif, &error);
    return info;
}

namespace {

std::filesystem::path temporaryPath(const std::string& ext) {
    static int counter = 0;
    return std::filesystem::temp_directory_path() /
           ("pictorn_imaging_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) +
            "." + ext);
}

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

} // namespace

Picture decodeTiff(const std::vector<std::uint8_t>& file) {
    const auto path = temporaryPath("tif");
    writeFile(path, file);
    Picture picture;
    TIFFSetWarningHandler(nullptr);
    if (TIFF* tif = TIFFOpen(path.c_str(), "r")) {
        std::uint32_t w = 0, h = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
        std::vector<std::uint32_t> raster(std::size_t{w} * h);
        // Reading strip by strip through libtiff's own LZW decoder and predictor.
        if (TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 1)) {
            picture = Picture(static_cast<int>(w), static_cast<int>(h));
            for (std::size_t i = 0; i < raster.size(); ++i) {
                picture.pixels[i] =
                    rgb(TIFFGetR(raster[i]), TIFFGetG(raster[i]), TIFFGetB(raster[i]));
            }
        } else {
            ADD_FAILURE() << "libtiff could not read the pixels";
        }
        TIFFClose(tif);
    } else {
        ADD_FAILURE() << "libtiff could not open the file";
    }
    std::filesystem::remove(path);
    return picture;
}

Picture decodeWithImageMagick(const std::vector<std::uint8_t>& file, const std::string& ext) {
    const auto in = temporaryPath(ext);
    const auto out = temporaryPath("ppm");
    writeFile(in, file);
    const std::string command =
        "convert '" + in.string() + "' -depth 8 'ppm:" + out.string() + "' 2>/dev/null";
    const int rc = std::system(command.c_str());
    Picture picture;
    std::ifstream ppm(out, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, maxValue = 0;
    if (rc == 0 && (ppm >> magic >> w >> h >> maxValue) && magic == "P6" && maxValue == 255) {
        ppm.get();
        std::vector<char> bytes(static_cast<std::size_t>(w) * h * 3);
        ppm.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        picture = Picture(w, h);
        for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
            picture.pixels[i] = rgb(static_cast<std::uint8_t>(bytes[3 * i]),
                                    static_cast<std::uint8_t>(bytes[3 * i + 1]),
                                    static_cast<std::uint8_t>(bytes[3 * i + 2]));
        }
    } else {
        ADD_FAILURE() << "ImageMagick could not read the ." << ext << " file (rc " << rc << ")";
    }
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return picture;
}

} // namespace pictorn::imaging::testing
