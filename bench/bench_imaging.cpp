// Encoder figures on the screenshot corpus, side by side with the reference libraries:
//   bench_imaging [corpus folder] [--explore]
// Prints a table with PASS/FAIL per target. --explore adds PNG setting variants.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/encoder.h"
#include "imaging/png_writer.h"
#include "reference_codecs.h"

namespace {

using namespace pictorn::imaging;
using bench::Bytes;

struct Timed {
    Bytes bytes;
    double ms = 0;    // median wall time
    double cpuMs = 0; // median CPU time of all threads: tells a busy machine from slow code
};

double cpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Timed timeMedian(int runs, const std::function<Bytes()>& f) {
    std::vector<double> times, cpu;
    Timed result;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuNow();
        result.bytes = f();
        cpu.push_back(cpuNow() - cpuStart);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    result.ms = median(times);
    result.cpuMs = median(cpu);
    return result;
}

// Ours and the reference run alternately, so both see the same load on a shared machine.
std::pair<Timed, Timed> timePair(int runs, const std::function<Bytes()>& ours,
                                 const std::function<Bytes()>& reference) {
    std::vector<double> a, b, aCpu, bCpu;
    std::pair<Timed, Timed> result;
    for (int i = 0; i < runs; ++i) {
        Timed x = timeMedian(1, ours);
        Timed y = timeMedian(1, reference);
        a.push_back(x.ms);
        b.push_back(y.ms);
        aCpu.push_back(x.cpuMs);
        bCpu.push_back(y.cpuMs);
        result.first.bytes = std::move(x.bytes);
        result.second.bytes = std::move(y.bytes);
    }
    result.first.ms = median(a);
    result.second.ms = median(b);
    result.first.cpuMs = median(aCpu);
    result.second.cpuMs = median(bCpu);
    return result;
}

struct Row {
    std::string what;
    std::string ours;
    std::string reference;
    std::string target;
    bool pass;
};
std::vector<Row> rows;

std::string fmt(const char* format, double a, double b = 0) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

std::string sizeTime(const Timed& t) {
    return fmt("%.1f KB %.0f ms", t.bytes.size() / 1024.0, t.ms) + fmt(" (cpu %.0f)", t.cpuMs);
}

// `options.quickPng`: the settings of the file a capture saves while the user waits.
void benchPng(const std::string& name, const Picture& picture, double maxSize, double maxTime,
              const EncodeOptions& options = {}) {
    const auto [ours, ref] = timePair(
        9, [&] { return encode(picture, ImageFormat::Png, options); },
        [&] { return bench::libpngEncode(picture, 6, true); });
    const auto check = bench::decodePngBytes(ours.bytes);
    const bool exact = check && check->pixels == picture.pixels;
    const double sizeRatio = double(ours.bytes.size()) / double(ref.bytes.size());
    const double timeRatio = ours.ms / ref.ms;
    rows.push_back(
        {"PNG " + name + (options.quickPng ? " auto-save" : ""),
         sizeTime(ours) + (exact ? "" : " MISMATCH"), sizeTime(ref) + " (libpng 6)",
         fmt("size %.2fx<=%.2f", sizeRatio, maxSize) + fmt(" time %.2fx<=%.2f", timeRatio, maxTime),
         exact && sizeRatio <= maxSize && timeRatio <= maxTime});
}

void benchFlatPng(const Picture& picture) {
    const Timed ours = timeMedian(5, [&] { return encode(picture, ImageFormat::Png); });
    PngSettings truecolour;
    truecolour.allowIndexed = false;
    const Timed rgb = timeMedian(3, [&] { return writePng(picture, truecolour); });
    const bool indexed = ours.bytes.size() > 25 && ours.bytes[25] == 3;
    const double ratio = double(ours.bytes.size()) / double(rgb.bytes.size());
    rows.push_back({"PNG flat_1920 indexed",
                    sizeTime(ours) + (indexed ? " (palette)" : " (NOT indexed)"),
                    sizeTime(rgb) + " (ours 24-bit)", fmt("size %.2fx<=0.75", ratio),
                    indexed && ratio <= 0.75});
}

void benchGif(const std::string& corpus, const Picture& picture) {
    const Timed ours = timeMedian(5, [&] { return encode(picture, ImageFormat::Gif); });
    const auto decoded = bench::giflibDecode(ours.bytes);
    const double ourPsnr = decoded ? bench::psnr(*decoded, picture) : 0;
    EncodeOptions dither;
    dither.gifDither = true;
    const Timed dithered = timeMedian(3, [&] { return encode(picture, ImageFormat::Gif, dither); });
    const auto decodedDither = bench::giflibDecode(dithered.bytes);
    const double ditherPsnr = decodedDither ? bench::psnr(*decodedDither, picture) : 0;

    const std::string gifPath = "/tmp/bench_imaging_im_" + std::to_string(getpid()) + ".gif";
    const std::string command = "convert '" + corpus + "/ui_1920.png' '" + gifPath + "'";
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(command.c_str());
    const double imMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::ifstream in(gifPath, std::ios::binary);
    const Bytes imFile((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(gifPath.c_str());
    const auto imDecoded = rc == 0 ? bench::giflibDecode(imFile) : std::nullopt;
    const double imPsnr = imDecoded ? bench::psnr(*imDecoded, picture) : 0;

    rows.push_back({"GIF ui_1920", sizeTime(ours) + fmt(" %.2f dB", ourPsnr),
                    fmt("%.1f KB %.2f dB", imFile.size() / 1024.0, imPsnr) +
                        fmt(" (IM, %.0f ms process)", imMs),
                    fmt("time %.0f<=150 ms", ours.ms) + fmt(", PSNR %+.2f dB", ourPsnr - imPsnr),
                    ours.ms <= 150 && ourPsnr >= imPsnr});
    rows.push_back({"GIF ui_1920 dithered", sizeTime(dithered) + fmt(" %.2f dB", ditherPsnr), "",
                    "(information)", true});
}

// Ours against libjpeg-turbo for time and size, and against our writer before its own
// (stb_image_write) for quality: the same tables and chroma subsampling, so the same size
// should give the same PSNR.
void benchJpeg(const std::string& name, const Picture& picture) {
    EncodeOptions q90;
    q90.jpegQuality = 90;
    const auto [ours, ref] = timePair(
        9, [&] { return encode(picture, ImageFormat::Jpeg, q90); },
        [&] { return bench::libjpegEncode(picture, 90); });
    const Timed old = timeMedian(3, [&] { return bench::stbJpegEncode(picture, 90); });
    const auto decoded = bench::libjpegDecode(ours.bytes);
    const auto oldDecoded = bench::libjpegDecode(old.bytes);
    const double ourPsnr = decoded ? bench::psnr(*decoded, picture) : 0;
    const double oldPsnr = oldDecoded ? bench::psnr(*oldDecoded, picture) : 0;
    const double sizeRatio = double(ours.bytes.size()) / double(ref.bytes.size());
    const double timeRatio = ours.ms / ref.ms;
    rows.push_back({"JPEG q90 " + name, sizeTime(ours) + fmt(" %.2f dB", ourPsnr),
                    sizeTime(ref) + " (libjpeg)",
                    fmt("size %.3fx<=1 time %.2fx<=1.5", sizeRatio, timeRatio),
                    sizeRatio <= 1.0 && timeRatio <= 1.5});
    const double oldSizeRatio = double(ours.bytes.size()) / double(old.bytes.size());
    rows.push_back({"JPEG q90 " + name + " old", sizeTime(old) + fmt(" %.2f dB", oldPsnr),
                    "(stb_image_write)",
                    fmt("size %.3fx PSNR %+.2f dB>=-0.1", oldSizeRatio, ourPsnr - oldPsnr),
                    oldSizeRatio <= 1.005 && ourPsnr - oldPsnr >= -0.1});
}

long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::atol(line.c_str() + std::string(field).size());
        }
    }
    return -1;
}

// In a child process, so the figures see only this encode: a 3840x2160 frame tiled from
// ui_1920, the peak (VmHWM) reset, then one PNG encode.
void benchMemory(const std::string& corpus) {
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        long figures[4] = {-1, -1, -1, -1};
        if (auto ui = bench::readPngFile(corpus + "/ui_1920.png")) {
            Picture frame(3840, 2160);
            for (int y = 0; y < frame.height; ++y) {
                for (int x = 0; x < frame.width; ++x) {
                    frame.at(x, y) = ui->at(x % ui->width, y % ui->height);
                }
            }
            ui.reset();
            std::ofstream("/proc/self/clear_refs") << "5";
            figures[0] = statusKb("VmRSS:");
            const Bytes png = encode(frame, ImageFormat::Png);
            figures[1] = statusKb("VmHWM:");
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            figures[2] = usage.ru_maxrss;
            figures[3] = static_cast<long>(png.size() / 1024);
        }
        (void)!write(fds[1], figures, sizeof figures);
        _exit(0);
    }
    close(fds[1]);
    long figures[4] = {-1, -1, -1, -1};
    (void)!read(fds[0], figures, sizeof figures);
    close(fds[0]);
    waitpid(child, nullptr, 0);
    const double rawKb = 3840.0 * 2160 * 4 / 1024;
    const double extraKb = double(figures[1] - figures[0]);
    rows.push_back({"PNG 3840x2160 memory",
                    fmt("+%.1f MB peak over the frame", extraKb / 1024) +
                        fmt(" (ru_maxrss %.1f MB)", figures[2] / 1024.0),
                    fmt("raw frame %.1f MB", rawKb / 1024),
                    fmt("extra %.2fx raw <= 2", extraKb / rawKb),
                    figures[0] > 0 && extraKb <= 2 * rawKb});
}

void explorePng(const std::string& name, const Picture& picture) {
    std::printf("\n%s: PNG variants (size KB, median ms)\n", name.c_str());
    const std::pair<const char*, PngFilterChoice> filters[] = {
        {"none", PngFilterChoice::None},
        {"adaptive", PngFilterChoice::Adaptive},
        {"screenshot", PngFilterChoice::Screenshot}};
    for (const auto& [filterName, filter] : filters) {
        for (const int strategy : {0, 1, 3}) {
            for (const int level : {1, 3, 6}) {
                for (const unsigned threads : {1u, 0u}) {
                    PngSettings s;
                    s.filter = filter;
                    s.allowIndexed = false;
                    s.deflate.mode = {level, strategy};
                    s.deflate.noisyMode.reset();
                    s.deflate.threads = threads;
                    const Timed t = timeMedian(3, [&] { return writePng(picture, s); });
                    std::printf("  %-10s strategy %d level %d threads %s: %8.1f KB %6.1f ms\n",
                                filterName, strategy, level, threads == 1 ? "1  " : "all",
                                t.bytes.size() / 1024.0, t.ms);
                }
            }
        }
    }
}

// The default settings with faster deflate modes: what a quicker PNG costs in size.
void exploreLevels(const std::string& name, const Picture& picture) {
    std::printf("\n%s: PNG with the default filters, other deflate levels (size KB, median ms)\n",
                name.c_str());
    for (const int level : {1, 2, 3, 5}) {
        for (const int noisy : {1, 3, 6}) {
            PngSettings s;
            s.deflate.mode.level = level;
            s.deflate.noisyMode->level = noisy;
            const Timed t = timeMedian(5, [&] { return writePng(picture, s); });
            std::printf("  level %d, noisy rows %d: %8.1f KB %6.1f ms (cpu %.0f)\n", level, noisy,
                        t.bytes.size() / 1024.0, t.ms, t.cpuMs);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string corpus = "/work/shared/corpus";
    bool explore = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--explore") {
            explore = true;
        } else {
            corpus = arg;
        }
    }
    benchMemory(corpus);

    std::map<std::string, Picture> pictures;
    for (const char* name : {"ui_1920", "photo_1920", "flat_1920", "crop_200x100"}) {
        auto p = bench::readPngFile(corpus + "/" + name + ".png");
        if (!p) {
            std::fprintf(stderr, "cannot read %s/%s.png\n", corpus.c_str(), name);
            return 2;
        }
        pictures[name] = std::move(*p);
    }
    if (explore) {
        exploreLevels("ui_1920", pictures["ui_1920"]);
        exploreLevels("photo_1920", pictures["photo_1920"]);
        explorePng("ui_1920", pictures["ui_1920"]);
        explorePng("photo_1920", pictures["photo_1920"]);
    }

    benchPng("ui_1920", pictures["ui_1920"], 0.96, 0.70);
    benchPng("photo_1920", pictures["photo_1920"], 1.00, 1.00);
    benchPng("ui_1920", pictures["ui_1920"], 0.94, 0.45, {.quickPng = true});
    benchPng("photo_1920", pictures["photo_1920"], 1.04, 0.50, {.quickPng = true});
    benchFlatPng(pictures["flat_1920"]);
    benchGif(corpus, pictures["ui_1920"]);
    benchJpeg("ui_1920", pictures["ui_1920"]);
    benchJpeg("photo_1920", pictures["photo_1920"]);

    double load[1] = {0};
    getloadavg(load, 1);
    std::printf(
        "\nSizes in KiB; times are medians of wall time, CPU time of all threads in brackets.\n"
        "Load average when finished: %.1f on %ld cores (a busy machine slows every figure).\n",
        load[0], sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("\n%-22s | %-48s | %-44s | %-32s | %s\n", "case", "ours", "reference", "target",
                "result");
    std::printf("%s\n", std::string(162, '-').c_str());
    bool all = true;
    for (const Row& r : rows) {
        std::printf("%-22s | %-48s | %-44s | %-32s | %s\n", r.what.c_str(), r.ours.c_str(),
                    r.reference.c_str(), r.target.c_str(), r.pass ? "PASS" : "FAIL");
        all = all && r.pass;
    }
    return all ? 0 : 1;
}
