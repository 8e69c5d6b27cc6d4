#pragma once
// The one window base class: it finds its object again from the window handle (stored at
// WM_NCCREATE or WM_INITDIALOG, cleared at WM_NCDESTROY) and hands each message to a
// virtual method, so each window class only writes the few handlers it needs.
#include <windows.h>

#include <string>

namespace pictorn::platform::win32 {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }

    // Registers a window class whose procedure routes to Window objects (once per name).
    static void registerClass(const wchar_t* className, HICON icon, UINT style = 0);

protected:
    HWND create(DWORD exStyle, const wchar_t* className, const std::wstring& title, DWORD style,
                int x, int y, int width, int height, HWND parent, HMENU menu);
    // Creates a modeless dialog from a template resource.
    HWND createDialog(int templateId, HWND parent);

    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    bool isDialog() const { return dialog_; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    bool dialog_ = false;
    bool handled_ = false; // for dialogs: whether handle() dealt with the message
};

} // namespace pictorn::platform::win32
