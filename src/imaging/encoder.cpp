#include "imaging/encoder.h"

#include <stdexcept>

#include "imaging/bmp_writer.h"
#include "imaging/gif_writer.h"
#include "imaging/jpeg_writer.h"
#include "imaging/pcx_writer.h"
#include "imaging/png_writer.h"
#include "imaging/psd_writer.h"
#include "imaging/tiff_writer.h"

namespace pictorn::imaging {

namespace {

void checkPicture(const Picture& picture) {
    if (picture.empty() || picture.pixels.size() != static_cast<std::size_t>(picture.width) *
                                                        static_cast<std::size_t>(picture.height)) {
        throw std::invalid_argument("cannot encode an empty or inconsistent picture");
    }
}

} // namespace

std::vector<std::uint8_t> encode(const Picture& picture, ImageFormat format,
                                 const EncodeOptions& options) {
    checkPicture(picture);
    switch (format) {
    case ImageFormat::Bmp:
        return writeBmp(picture);
    case ImageFormat::Gif:
        return writeGif(picture, options.gifDither);
    case ImageFormat::Jpeg:
        return writeJpeg(picture, options.jpegQuality);
    case ImageFormat::Pcx:
        return writePcx(picture);
    case ImageFormat::Png:
        return options.quickPng ? writePng(picture, quickPngSettings()) : writePng(picture);
    case ImageFormat::Psd:
        return writePsd(picture);
    case ImageFormat::Tiff:
        return writeTiff(picture);
    }
    throw std::invalid_argument("unknown image format");
}

void encode(const Picture& picture, ImageFormat format, const EncodeOptions& options,
            const ByteSink& sink) {
    checkPicture(picture);
    if (format == ImageFormat::Bmp) {
        writeBmp(picture, sink);
    } else if (format == ImageFormat::Pcx) {
        writePcx(picture, sink);
    } else if (format == ImageFormat::Psd) {
        writePsd(picture, sink);
    } else if (format == ImageFormat::Tiff) {
        writeTiff(picture, sink);
    } else {
        sink(encode(picture, format, options));
    }
}

} // namespace pictorn::imaging
