#include "platform/win32/handle.h"
#include "platform/win32/win32_clipboard.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace pictorn::platform::win32 {
namespace {

using imaging::Picture;

// What a program reading the clipboard gets for a format (empty when it is not there).
std::vector<std::uint8_t> clipboardData(UINT format) {
    std::vector<std::uint8_t> data;
    if (!OpenClipboard(nullptr)) {
        ADD_FAILURE() << "clipboard not available";
        return data;
    }
    if (HANDLE memory = GetClipboardData(format)) {
        if (const void* bytes = GlobalLock(memory)) {
            const auto* begin = static_cast<const std::uint8_t*>(bytes);
            data.assign(begin, begin + GlobalSize(memory));
            GlobalUnlock(memory);
        }
    }
    CloseClipboard();
    return data;
}

std::uint32_t bigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

TEST(Clipboard, HoldsThePictureAsABitmapAndAsPng) {
    Picture picture(37, 21, imaging::rgb(10, 20, 30));
    picture.at(0, 0) = imaging::rgb(255, 0, 0);   // top-left
    picture.at(36, 20) = imaging::rgb(0, 0, 255); // bottom-right
    const std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                                        'I',  'H', 'D', 'R', 0,    0,    0,    37,   0, 0, 0, 21};
    Win32Clipboard clipboard;
    ASSERT_EQ(clipboard.putPicture(picture, png), ClipboardResult::Done);

    const auto dib = clipboardData(CF_DIB);
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 37);
    EXPECT_EQ(header.biHeight, 21); // bottom-up
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    ASSERT_EQ(header.biBitCount, 24);
    const std::size_t stride = (37 * 3 + 3) & ~3u;
    ASSERT_GE(dib.size(), sizeof header + stride * 21);
    const std::uint8_t* rows = dib.data() + sizeof header;
    // The last row in memory is the top of the picture: blue, green, red.
    const std::uint8_t* topLeft = rows + stride * 20;
    EXPECT_EQ(topLeft[0], 0);
    EXPECT_EQ(topLeft[2], 255);
    const std::uint8_t* bottomRight = rows + 36 * 3;
    EXPECT_EQ(bottomRight[0], 255);
    EXPECT_EQ(bottomRight[2], 0);
    EXPECT_EQ(rows[stride * 10 + 3], 30);

    const auto stored = clipboardData(RegisterClipboardFormatW(L"PNG"));
    ASSERT_GE(stored.size(), png.size());
    EXPECT_EQ(std::memcmp(stored.data(), png.data(), 8), 0);
    EXPECT_EQ(bigEndian(stored.data() + 16), 37u);
    EXPECT_EQ(bigEndian(stored.data() + 20), 21u);

    ASSERT_EQ(clipboard.clear(), ClipboardResult::Done);
    EXPECT_TRUE(clipboardData(CF_DIB).empty());
}

TEST(Clipboard, ReportsBusyWhileAnotherProgramHoldsIt) {
    std::atomic<bool> holding{false}, release{false};
    std::thread other([&] {
        if (OpenClipboard(nullptr)) {
            holding = true;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!release && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            CloseClipboard();
        }
        holding = false;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!holding && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(holding.load());

    Win32Clipboard clipboard;
    EXPECT_EQ(clipboard.putPicture(Picture(4, 4, 0x808080), {}), ClipboardResult::Busy);
    EXPECT_EQ(clipboard.clear(), ClipboardResult::Busy);
    release = true;
    other.join();

    EXPECT_EQ(clipboard.putPicture(Picture(4, 4, 0x808080), {}), ClipboardResult::Done);
}

} // namespace
} // namespace pictorn::platform::win32
