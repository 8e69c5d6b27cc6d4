#include "platform/ui/canvas_view.h"
#include "platform/ui/form.h"
#include "platform/ui/picture_view.h"
#include "platform/win32/dib_section.h"
#include "platform/win32/form_window.h"
#include "platform/win32/handle.h"
#include "platform/win32/ui_toolkit_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <utility>

namespace pictorn::platform::win32 {
namespace {

using imaging::Picture;

constexpr int kViewId = 5000;

// What the view draws whole, read back through WM_PRINTCLIENT into a 32-bit DIB section;
// or, `onScreen`, what its window shows after its own paints.
class Snapshot {
public:
    explicit Snapshot(HWND view, bool onScreen = false) {
        GetClientRect(view, &client_);
        DibSection dib = topDownDibSection(nullptr, client_.right, client_.bottom);
        bitmap_ = std::move(dib.bitmap);
        pixels_ = dib.bits;
        const CreatedDc dc{CreateCompatibleDC(nullptr)};
        const SelectObjectGuard select{dc.get(), bitmap_.get()};
        if (onScreen) {
            WindowDc window = windowDc(view);
            BitBlt(dc.get(), 0, 0, client_.right, client_.bottom, window.get().dc, 0, 0, SRCCOPY);
        } else {
            SendMessageW(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
        }
        GdiFlush();
    }
    std::uint32_t at(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y) * client_.right + x] & imaging::kRgbMask;
    }
    int width() const { return client_.right; }
    int height() const { return client_.bottom; }

private:
    RECT client_{};
    Bitmap bitmap_;
    const std::uint32_t* pixels_ = nullptr;
};

std::uint32_t asPixel(COLORREF colour) {
    return imaging::rgb(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

Picture gradient(int width, int height) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.at(x, y) =
                imaging::rgb(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                             static_cast<std::uint8_t>((x + y) / 4));
        }
    }
    return picture;
}

template <typename View> class ViewWindow : public ::testing::Test {
protected:
    void SetUp() override {
        form.setCaption("Picture view test");
        form.move(0, 0, 6000, 4500);
        view.setBounds({0, 0, 3000, 2250});
        form.show();
        auto* window = dynamic_cast<FormWindow*>(form.peer());
        ASSERT_NE(window, nullptr);
        child = GetDlgItem(window->hwnd(), kViewId);
        ASSERT_NE(child, nullptr);
    }
    void TearDown() override { form.unload(); }

    bool hasBar(DWORD style) const { return (GetWindowLongW(child, GWL_STYLE) & style) != 0; }

    Win32Toolkit toolkit;
    ui::Form form{toolkit, "frmPictureViewTest"};
    View view{&form, "ImageBox1", kViewId};
    HWND child = nullptr;
};
using PictureViewWindow = ViewWindow<ui::PictureView>;
using CanvasViewWindow = ViewWindow<ui::CanvasView>;

TEST_F(PictureViewWindow, ShowsASmallPictureAtItsSizeOnGreyWithoutScrollBars) {
    const std::uint32_t grey = asPixel(GetSysColor(COLOR_APPWORKSPACE));
    EXPECT_EQ(Snapshot(child).at(5, 5), grey); // no picture yet

    view.setPicture(std::make_shared<const Picture>(gradient(50, 40)));
    EXPECT_FALSE(hasBar(WS_HSCROLL));
    EXPECT_FALSE(hasBar(WS_VSCROLL));
    const Snapshot shot(child);
    ASSERT_GT(shot.width(), 60);
    ASSERT_GT(shot.height(), 50);
    EXPECT_EQ(shot.at(0, 0), imaging::rgb(0, 0, 0));
    EXPECT_EQ(shot.at(49, 39), imaging::rgb(49, 39, 22));
    EXPECT_EQ(shot.at(50, 10), grey);
    EXPECT_EQ(shot.at(10, 40), grey);
}

TEST_F(PictureViewWindow, ALargerPictureScrollsWithTheBarsAndTheWheel) {
    const Picture picture = gradient(250, 250);
    view.setPicture(std::make_shared<const Picture>(picture));
    ASSERT_TRUE(hasBar(WS_HSCROLL));
    ASSERT_TRUE(hasBar(WS_VSCROLL));
    EXPECT_EQ(Snapshot(child).at(3, 4), picture.at(3, 4));

    SendMessageW(child, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    const int down = GetScrollPos(child, SB_VERT);
    EXPECT_GT(down, 0);
    SendMessageW(child, WM_HSCROLL, SB_LINERIGHT, 0);
    const int right = GetScrollPos(child, SB_HORZ);
    EXPECT_GT(right, 0);
    EXPECT_EQ(Snapshot(child).at(3, 4), picture.at(3 + right, 4 + down));

    // Scrolling stops at the picture's far edge: no grey strip appears there.
    SendMessageW(child, WM_VSCROLL, SB_BOTTOM, 0);
    SendMessageW(child, WM_HSCROLL, SB_BOTTOM, 0);
    const Snapshot end(child);
    EXPECT_EQ(end.at(end.width() - 1, end.height() - 1), picture.at(249, 249));

    // A new picture starts at its top-left corner again.
    view.setPicture(std::make_shared<const Picture>(gradient(240, 260)));
    EXPECT_EQ(GetScrollPos(child, SB_VERT), 0);
    EXPECT_EQ(GetScrollPos(child, SB_HORZ), 0);
}

void expectSame(const Snapshot& a, const Snapshot& b) {
    ASSERT_NE(b.at(0, 0), asPixel(GetSysColor(COLOR_APPWORKSPACE)));
    for (int y = 0; y < b.height(); ++y) {
        for (int x = 0; x < b.width(); ++x) {
            ASSERT_EQ(a.at(x, y), b.at(x, y)) << x << "," << y;
        }
    }
}

// Fitted, a change is worked out and repainted only where it shows: the window then shows
// exactly what the whole picture fitted afresh shows.
TEST_F(CanvasViewWindow, FittedRepaintsOfPartsShowWhatAWholePaintShows) {
    view.setFit(true);
    auto picture = std::make_shared<Picture>(gradient(330, 250));
    view.setPicture(picture);
    UpdateWindow(child);
    // Two far corners change, and only they are said to have changed.
    for (const ui::CanvasView::Area& a :
         {ui::CanvasView::Area{0, 0, 40, 30}, ui::CanvasView::Area{290, 220, 330, 250}}) {
        for (int y = a.top; y < a.bottom; ++y) {
            for (int x = a.left; x < a.right; ++x) {
                picture->at(x, y) = imaging::rgb(255, static_cast<std::uint8_t>(x), 0);
            }
        }
        view.repaint(a);
    }
    UpdateWindow(child);
    const Snapshot shown(child, true);
    view.setFit(false); // and back: the whole worked out afresh
    view.setFit(true);
    expectSame(shown, Snapshot(child));
}

// A press holds the pointer. When another window takes it or the system cancels the mode
// (as when a dialog disables the window), or a move shows the button released unseen, the
// drag is reported cancelled, once; the canvas's own release is never a cancel.
TEST_F(CanvasViewWindow, ADragThatLosesThePointerIsCancelledOnce) {
    view.setPicture(std::make_shared<const Picture>(gradient(50, 40)));
    int cancelled = 0, released = 0;
    view.DragCancelled = [&] {
        ++cancelled;
    };
    view.MouseUp = [&](int, int, int, int) {
        ++released;
    };
    auto press = [&] {
        SendMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ASSERT_EQ(GetCapture(), child);
    };

    press();
    SendMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(9, 9));
    EXPECT_EQ(released, 1);
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(GetCapture(), nullptr);

    press();
    SetCapture(GetParent(child));
    EXPECT_EQ(cancelled, 1);
    ReleaseCapture();
    EXPECT_EQ(cancelled, 1);

    press();
    SendMessageW(child, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(cancelled, 2);
    EXPECT_NE(GetCapture(), child);

    press();
    SendMessageW(child, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_EQ(cancelled, 2);
    SendMessageW(child, WM_MOUSEMOVE, 0, MAKELPARAM(21, 20));
    EXPECT_EQ(cancelled, 3);
    SendMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(21, 20));
    EXPECT_EQ(cancelled, 3);
}

} // namespace
} // namespace pictorn::platform::win32
