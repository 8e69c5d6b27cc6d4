// Printing through Wine into a CUPS PDF printer. These tests need a private cupsd and run
// only when the test script has set one up and names its output folder in
// PICTORN_TEST_PDF_DIR (a Windows path of that folder). The script does, in short:
//
//   D=$(mktemp -d); mkdir -p $D/spool $D/cache $D/state $D/pdf $D/ppd
//   cupsd.conf:       Listen $D/cups.sock / ServerRoot, DefaultPolicy etc. below $D
//   cups-files.conf:  ServerRoot $D, RequestRoot $D/spool, CacheDir $D/cache,
//                     StateDir $D/state, TempDir $D/spool, Printcap $D/printcap,
//                     Sandboxing relaxed, User/Group of the runner
//   cupsd -f -c $D/cupsd.conf -s $D/cups-files.conf &        (stop it by its pid)
//   export CUPS_SERVER=$D/cups.sock
//   lpadmin -p PictornPDF -E -v cups-pdf:/PictornPDF
//           -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd; lpadmin -d PictornPDF
//   echo "Out $D/pdf" >> /etc/cups/cups-pdf-PictornPDF.conf  (cups-pdf's output folder)
//   PICTORN_TEST_PDF_DIR=Z:$D/pdf (as a Windows path) wine win32_tests.exe
//
// Without it they are skipped; the failure paths below run everywhere.
#include "imaging/picture.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_printer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace pictorn::platform::win32 {
namespace {

std::string pdfFolder() {
    const char* folder = std::getenv("PICTORN_TEST_PDF_DIR");
    return folder ? folder : "";
}

// The name of a non-empty *.pdf in the folder, waiting for one up to the deadline.
std::string pdfAppears(const std::string& folder, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        WIN32_FIND_DATAW data{};
        HANDLE search = FindFirstFileW(toWide(folder + "\\*.pdf").c_str(), &data);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            if (data.nFileSizeLow > 0 || data.nFileSizeHigh > 0) {
                return toUtf8(data.cFileName);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

TEST(Printers, AnUnknownPrinterFailsWithACode) {
    Win32Printers printers;
    EXPECT_NE(printers.printPicture("No Such Printer 4711", imaging::Picture(10, 10, 0xFFFFFF),
                                    PrintRequest{"Pictorn", true}),
              0u);
}

TEST(Printers, TheDebugSwitchHidesTheDefaultButKeepsThePrinters) {
    Win32Printers printers;
    const auto installed = printers.installed();
    SetEnvironmentVariableA("PICTORN_DEBUG_NO_DEFAULT_PRINTER", "1");
    _putenv("PICTORN_DEBUG_NO_DEFAULT_PRINTER=1");
    EXPECT_FALSE(printers.defaultPrinter());
    EXPECT_EQ(printers.installed(), installed);
    _putenv("PICTORN_DEBUG_NO_DEFAULT_PRINTER=");
    SetEnvironmentVariableA("PICTORN_DEBUG_NO_DEFAULT_PRINTER", nullptr);
}

TEST(PrintersWithCups, PrintsAPictureIntoAPdf) {
    const std::string folder = pdfFolder();
    if (folder.empty()) {
        GTEST_SKIP() << "no CUPS PDF printer set up (PICTORN_TEST_PDF_DIR)";
    }
    Win32Printers printers;
    const auto installed = printers.installed();
    ASSERT_FALSE(installed.empty());
    const auto name = printers.defaultPrinter();
    ASSERT_TRUE(name);

    imaging::Picture picture(640, 400, imaging::rgb(0, 90, 200));
    for (int y = 100; y < 300; ++y) {
        for (int x = 100; x < 540; ++x) {
            picture.at(x, y) = imaging::rgb(250, 200, 0);
        }
    }
    ASSERT_EQ(printers.printPicture(*name, picture, PrintRequest{"Pictorn", true}), 0u);
    // cups-pdf names the file after the job, with words of its own added.
    EXPECT_TRUE(pdfAppears(folder, std::chrono::seconds(30)).starts_with("Pictorn"));
}

} // namespace
} // namespace pictorn::platform::win32
