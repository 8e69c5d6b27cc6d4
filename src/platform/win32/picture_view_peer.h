#pragma once
// The real window of a PictureView: a child window that draws the picture at its own
// size, with scroll bars when the picture is larger than the window and a grey
// background around a smaller one.
#include "platform/ui/picture_view.h"
#include "platform/win32/ui_control_peers.h"

#include <windows.h>

#include <memory>

namespace pictorn::platform::win32 {

// The window class a PictureView's child window is made of; registered on first use, so
// call it before creating a dialog whose template names the class.
const wchar_t* pictureViewClass();

class PictureViewPeer : public ChildPeer {
public:
    PictureViewPeer(ui::PictureView& model, HWND child, PeerHost& form);
    ~PictureViewPeer() override;

    POINT scrollPosition() const { return scroll_; }

    // The window class's procedure: routes to the bound peer, or paints grey without one.
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    void updateOwn(ui::Property what) override;
    // Views that scale the picture or take input override these.
    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void paint(HDC dc, const RECT& area);
    virtual SIZE pictureSize() const; // as shown, in window pixels
    // `picture` 1:1 from the scroll position, grey around it.
    void paintPixels(HDC dc, const RECT& area, const imaging::Picture& picture);

    void layoutScrollBars();
    void scrollTo(int x, int y);

    POINT scroll_{0, 0};

private:
    void onScroll(int bar, int code);
    void onWheel(int bar, int delta);

    ui::PictureView& view_;
    int wheelRest_[2] = {0, 0};
    bool layingOut_ = false;
};

} // namespace pictorn::platform::win32
