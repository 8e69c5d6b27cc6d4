#include "platform/win32/label_classes.h"

#include "platform/win32/ui_units.h"

#include <string>

namespace pictorn::platform::win32 {

namespace {

// The title's size in tenths of a point.
constexpr int kTitlePointsX10 = 135;

// Window extra bytes: the label's own font (created from the one the form hands over).
constexpr int kFontSlot = 0;

enum class Kind { Title, Link };

HFONT ownFont(HWND hwnd) {
    return reinterpret_cast<HFONT>(GetWindowLongPtrW(hwnd, kFontSlot));
}

void replaceFont(HWND hwnd, HFONT font) {
    if (HFONT old = ownFont(hwnd))
        DeleteObject(old);
    SetWindowLongPtrW(hwnd, kFontSlot, reinterpret_cast<LONG_PTR>(font));
}

HFONT derivedFont(HWND hwnd, HFONT base, Kind kind) {
    LOGFONTW lf{};
    if (!base || !GetObjectW(base, sizeof lf, &lf))
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    if (kind == Kind::Title) {
        lf.lfHeight = -MulDiv(kTitlePointsX10, windowDpi(hwnd), 720);
        lf.lfWidth = 0;
        lf.lfWeight = FW_BOLD;
    } else {
        lf.lfUnderline = TRUE;
    }
    return CreateFontIndirectW(&lf);
}

void paint(HWND hwnd, Kind kind) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r{};
    GetClientRect(hwnd, &r);
    // The form chooses colours as for any static label (the link's blue comes from there).
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(hwnd)));
    FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    if (!IsWindowEnabled(hwnd))
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    HGDIOBJ oldFont = SelectObject(dc, ownFont(hwnd));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (kind == Kind::Link && GetFocus() == hwnd) {
        RECT textRect = r;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                  DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        const int width = textRect.right - textRect.left;
        const int height = textRect.bottom - textRect.top;
        RECT focus{(r.right - width) / 2 - 1, (r.bottom - height) / 2, (r.right + width) / 2 + 1,
                   (r.bottom + height) / 2};
        DrawFocusRect(dc, &focus);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

void notifyClicked(HWND hwnd) {
    const int id = GetDlgCtrlID(hwnd);
    SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

LRESULT labelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, Kind kind) {
    switch (message) {
    case WM_SETFONT:
        replaceFont(hwnd, derivedFont(hwnd, reinterpret_cast<HFONT>(wParam), kind));
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(ownFont(hwnd));
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_ERASEBKGND:
        return 1; // painted with the text, so the label does not flicker
    case WM_PAINT:
        paint(hwnd, kind);
        return 0;
    case WM_NCDESTROY:
        replaceFont(hwnd, nullptr);
        break;
    default:
        break;
    }
    if (kind == Kind::Link) {
        switch (message) {
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
            SetCapture(hwnd);
            return 0;
        case WM_LBUTTONUP: {
            if (GetCapture() != hwnd)
                return 0;
            ReleaseCapture();
            RECT r{};
            GetClientRect(hwnd, &r);
            const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (PtInRect(&r, p))
                notifyClicked(hwnd);
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS;
        case WM_CHAR:
            if (wParam == L' ')
                notifyClicked(hwnd);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        default:
            break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK titleProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return labelProc(hwnd, message, wParam, lParam, Kind::Title);
}

LRESULT CALLBACK linkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return labelProc(hwnd, message, wParam, lParam, Kind::Link);
}

void registerLabelClass(const wchar_t* name, WNDPROC proc, LPCWSTR cursor) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc))
        return;
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, cursor);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

} // namespace

void registerLabelClasses() {
    registerLabelClass(kTitleLabelClass, &titleProc, IDC_ARROW);
    registerLabelClass(kLinkLabelClass, &linkProc, IDC_HAND);
}

} // namespace pictorn::platform::win32
