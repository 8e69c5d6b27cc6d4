#include "platform/win32/ui_control_peers.h"

#include "platform/ui/controls.h"
#include "platform/win32/canvas_view_peer.h"
#include "platform/win32/picture_view_peer.h"
#include "platform/win32/text.h"
#include "platform/win32/ui_units.h"

#include <commctrl.h>
#include <windowsx.h>

namespace pictorn::platform::win32 {
namespace {

std::wstring windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

// A colour value as GDI takes it: the system's colour for system-colour values.
COLORREF realColor(std::uint32_t color) {
    return ui::isSystemColor(color) ? GetSysColor(static_cast<int>(color & 0xFF))
                                    : static_cast<COLORREF>(color);
}

void setTextIfDifferent(HWND hwnd, const std::string& utf8) {
    const std::wstring wanted = toWide(utf8);
    if (windowText(hwnd) != wanted)
        SetWindowTextW(hwnd, wanted.c_str());
}

// Character positions in the model are code points; the edit control counts UTF-16 units.
int utf16Offset(const std::string& utf8, std::size_t codePoints) {
    std::size_t units = 0, seen = 0;
    for (std::size_t i = 0; i < utf8.size() && seen < codePoints; ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xC0) == 0x80)
            continue;
        units += c >= 0xF0 ? 2 : 1;
        ++seen;
    }
    return static_cast<int>(units);
}

class TextBoxPeer : public ChildPeer {
public:
    using ChildPeer::ChildPeer;
    void onNotify(int code) override {
        if (code == EN_CHANGE)
            text().setText(toUtf8(windowText(hwnd_)));
        else if (code == EN_SETFOCUS)
            focusGained();
    }

protected:
    ui::TextBox& text() { return static_cast<ui::TextBox&>(model_); }
    void updateOwn(ui::Property what) override {
        if (what == ui::Property::Text) {
            setTextIfDifferent(hwnd_, text().text());
        } else if (what == ui::Property::Selection) {
            const int start = utf16Offset(text().text(), text().selStart());
            const int end = utf16Offset(text().text(), text().selStart() + text().selLength());
            SendMessageW(hwnd_, EM_SETSEL, static_cast<WPARAM>(start), end);
        }
        if (text().maxLength() > 0)
            SendMessageW(hwnd_, EM_SETLIMITTEXT, text().maxLength(), 0);
        if (what == ui::Property::Text && text().passwordChar() != 0)
            SendMessageW(hwnd_, EM_SETPASSWORDCHAR,
                         static_cast<WPARAM>(static_cast<unsigned char>(text().passwordChar())), 0);
    }
};

class ButtonPeer : public ChildPeer {
public:
    using ChildPeer::ChildPeer;
    void onNotify(int code) override {
        if (code == BN_CLICKED)
            static_cast<ui::Button&>(model_).click();
        else if (code == BN_SETFOCUS)
            focusGained();
    }

protected:
    void updateOwn(ui::Property what) override {
        if (what == ui::Property::Text)
            setTextIfDifferent(hwnd_, static_cast<ui::Button&>(model_).caption());
    }
};

class CheckBoxPeer : public ChildPeer {
public:
    using ChildPeer::ChildPeer;
    void onNotify(int code) override {
        if (code == BN_CLICKED)
            box().click(); // the model toggles; the box is not auto-checking
        else if (code == BN_SETFOCUS)
            focusGained();
    }

protected:
    ui::CheckBox& box() { return static_cast<ui::CheckBox&>(model_); }
    void updateOwn(ui::Property what) override {
        if (what == ui::Property::Text)
            setTextIfDifferent(hwnd_, box().caption());
        else if (what == ui::Property::Value)
            SendMessageW(hwnd_, BM_SETCHECK, static_cast<WPARAM>(box().value()), 0);
    }
};

class LabelPeer : public ChildPeer {
public:
    using ChildPeer::ChildPeer;
    void onNotify(int code) override {
        if (code == STN_CLICKED)
            static_cast<ui::Label&>(model_).click();
    }

protected:
    void updateOwn(ui::Property what) override {
        if (what == ui::Property::Text)
            setTextIfDifferent(hwnd_, static_cast<ui::Label&>(model_).caption());
    }
};

class ListPeer : public ChildPeer, public ui::ItemHitTest {
public:
    ListPeer(ui::Control& model, HWND child, PeerHost& form, bool combo)
        : ChildPeer(model, child, form), combo_(combo) {
        // A list box reports the pointer's moves over it (for tooltips that follow it).
        if (!combo_)
            SetWindowSubclass(hwnd_, &ListPeer::listProc, kSubclassId,
                              reinterpret_cast<DWORD_PTR>(this));
    }
    ~ListPeer() override {
        if (!combo_)
            RemoveWindowSubclass(hwnd_, &ListPeer::listProc, kSubclassId);
    }
    long itemFromPoint(int xPixels, int yPixels) const override {
        return static_cast<long>(
            SendMessageW(hwnd_, LB_ITEMFROMPOINT, 0, MAKELPARAM(xPixels, yPixels)));
    }
    void onNotify(int code) override {
        if (code == (combo_ ? CBN_SELCHANGE : LBN_SELCHANGE)) {
            const auto index =
                static_cast<int>(SendMessageW(hwnd_, combo_ ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
            list().pick(index);
            // A refused pick leaves the model as it was: show that again.
            updateOwn(ui::Property::Selection);
        } else if (code == (combo_ ? CBN_SETFOCUS : LBN_SETFOCUS)) {
            focusGained();
        }
    }

protected:
    ui::ListControl& list() { return static_cast<ui::ListControl&>(model_); }
    void updateOwn(ui::Property what) override {
        if (what == ui::Property::Items) {
            SendMessageW(hwnd_, combo_ ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
            for (const std::string& item : list().items()) {
                const std::wstring w = toWide(item);
                SendMessageW(hwnd_, combo_ ? CB_ADDSTRING : LB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(w.c_str()));
            }
        }
        if (what == ui::Property::Items || what == ui::Property::Selection)
            SendMessageW(hwnd_, combo_ ? CB_SETCURSEL : LB_SETCURSEL,
                         static_cast<WPARAM>(list().listIndex()), 0);
    }

private:
    static constexpr UINT_PTR kSubclassId = 0x4C50; // "LP"
    static LRESULT CALLBACK listProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR self) {
        if (message == WM_MOUSEMOVE) {
            auto* peer = reinterpret_cast<ListPeer*>(self);
            int buttons = 0;
            if (wParam & MK_LBUTTON)
                buttons |= 1;
            if (wParam & MK_RBUTTON)
                buttons |= 2;
            if (wParam & MK_MBUTTON)
                buttons |= 4;
            int shift = 0;
            if (wParam & MK_SHIFT)
                shift |= 1;
            if (wParam & MK_CONTROL)
                shift |= 2;
            const int dpi = windowDpi(hwnd);
            const auto x = static_cast<float>(
                pixelsToTwips(static_cast<short>(LOWORD(static_cast<DWORD>(lParam))), dpi));
            const auto y = static_cast<float>(
                pixelsToTwips(static_cast<short>(HIWORD(static_cast<DWORD>(lParam))), dpi));
            ui::fire(peer->list().MouseMove, buttons, shift, x, y);
        }
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    bool combo_;
};

class ScrollBarPeer : public ChildPeer {
public:
    using ChildPeer::ChildPeer;
    void onScroll(int code) override {
        auto& bar = static_cast<ui::ScrollBar&>(model_);
        int value = bar.value();
        switch (code) {
        case SB_LINELEFT:
            value -= 1;
            break;
        case SB_LINERIGHT:
            value += 1;
            break;
        case SB_PAGELEFT:
            value -= bar.largeChange();
            break;
        case SB_PAGERIGHT:
            value += bar.largeChange();
            break;
        case SB_LEFT:
            value = bar.min();
            break;
        case SB_RIGHT:
            value = bar.max();
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
            GetScrollInfo(hwnd_, SB_CTL, &info);
            value = info.nTrackPos;
            break;
        }
        default:
            return;
        }
        value = value < bar.min() ? bar.min() : (value > bar.max() ? bar.max() : value);
        if (form_.focusModel(model_))
            bar.setValue(value);
    }

protected:
    void updateOwn(ui::Property what) override {
        if (what != ui::Property::Value && what != ui::Property::Range)
            return;
        auto& bar = static_cast<ui::ScrollBar&>(model_);
        SCROLLINFO info{
            sizeof info, SIF_RANGE | SIF_POS | SIF_PAGE, bar.min(), bar.max(), 0, bar.value(), 0};
        SetScrollInfo(hwnd_, SB_CTL, &info, TRUE);
    }
};

class ProgressBarPeer : public ChildPeer {
public:
    using ChildPeer::ChildPeer;

protected:
    void updateOwn(ui::Property what) override {
        if (what == ui::Property::Value) {
            SendMessageW(hwnd_, PBM_SETRANGE32, 0, 100);
            SendMessageW(hwnd_, PBM_SETPOS,
                         static_cast<WPARAM>(static_cast<ui::ProgressBar&>(model_).value()), 0);
        }
    }
};

class TabPeer : public ChildPeer {
public:
    TabPeer(ui::Control& model, HWND child, PeerHost& form) : ChildPeer(model, child, form) {
        SetWindowSubclass(hwnd_, &TabPeer::clickFirst, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    ~TabPeer() override { RemoveWindowSubclass(hwnd_, &TabPeer::clickFirst, 0); }

    void onNotifyHeader(const NMHDR& header) override {
        if (header.code == TCN_SELCHANGE) {
            auto& tabs = static_cast<ui::TabStrip&>(model_);
            tabs.userSelect(static_cast<int>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0)));
            updateOwn(ui::Property::Selection); // a refused switch stays on the old tab
        }
    }

private:
    // A click on a tab switches through the model before the control sees it. The tab
    // control's own bookkeeping (Wine's, after the selection was set from code and then
    // moved with the arrow keys) can otherwise take a click on another tab for nothing.
    static LRESULT CALLBACK clickFirst(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
        if (message == WM_LBUTTONDOWN) {
            auto* peer = reinterpret_cast<TabPeer*>(self);
            auto& tabs = static_cast<ui::TabStrip&>(peer->model_);
            TCHITTESTINFO hit{};
            hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const int index = static_cast<int>(
                SendMessageW(window, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            if (index >= 0 && index != tabs.currentTab()) {
                tabs.userSelect(index);
                peer->updateOwn(ui::Property::Selection);
                // Refused (a field did not validate): the click is used up.
                if (tabs.currentTab() != index)
                    return 0;
            }
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }

protected:
    void updateOwn(ui::Property what) override {
        auto& tabs = static_cast<ui::TabStrip&>(model_);
        if (what == ui::Property::Items) {
            SendMessageW(hwnd_, TCM_DELETEALLITEMS, 0, 0);
            int index = 0;
            for (const std::string& caption : tabs.tabs()) {
                std::wstring w = toWide(caption);
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = w.data();
                SendMessageW(hwnd_, TCM_INSERTITEMW, static_cast<WPARAM>(index++),
                             reinterpret_cast<LPARAM>(&item));
            }
        }
        if (what == ui::Property::Items || what == ui::Property::Selection) {
            SendMessageW(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(tabs.currentTab()), 0);
            form_.repaintAll();
        }
    }
};

} // namespace

ChildPeer::ChildPeer(ui::Control& model, HWND child, PeerHost& form)
    : model_(model), hwnd_(child), form_(form) {
    model_.setPeer(this);
}

ChildPeer::~ChildPeer() {
    if (model_.peer() == this)
        model_.setPeer(nullptr);
}

void ChildPeer::syncAll() {
    for (ui::Property p :
         {ui::Property::Items, ui::Property::Text, ui::Property::Value, ui::Property::Range,
          ui::Property::Selection, ui::Property::Enabled, ui::Property::Visible, ui::Property::Font,
          ui::Property::ToolTip, ui::Property::Colors})
        update(model_, p);
    if (model_.bounds().width > 0 || model_.bounds().height > 0)
        update(model_, ui::Property::Geometry);
}

void ChildPeer::update(const ui::Control&, ui::Property what) {
    switch (what) {
    case ui::Property::Enabled:
        EnableWindow(hwnd_, model_.enabled());
        break;
    case ui::Property::Visible:
        ShowWindow(hwnd_, model_.visible() ? SW_SHOWNA : SW_HIDE);
        break;
    case ui::Property::Geometry: {
        const int dpi = windowDpi(hwnd_);
        const ui::Bounds& b = model_.bounds();
        MoveWindow(hwnd_, twipsToPixels(b.left, dpi), twipsToPixels(b.top, dpi),
                   twipsToPixels(b.width, dpi), twipsToPixels(b.height, dpi), TRUE);
        break;
    }
    case ui::Property::Font:
        applyFont();
        break;
    case ui::Property::Colors:
        backBrush_.reset(model_.backColor() == ui::kDefaultColor
                             ? nullptr
                             : CreateSolidBrush(realColor(model_.backColor())));
        InvalidateRect(hwnd_, nullptr, TRUE);
        break;
    case ui::Property::ToolTip:
        form_.setToolTip(hwnd_, model_.toolTip());
        break;
    default:
        updateOwn(what);
        break;
    }
}

void ChildPeer::applyFont() {
    HFONT base = form_.font();
    if (!model_.bold() && model_.fontPoints() == 0 && model_.fontName().empty()) {
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(base), TRUE);
        return;
    }
    LOGFONTW lf{};
    GetObjectW(base, sizeof lf, &lf);
    if (model_.bold())
        lf.lfWeight = FW_BOLD;
    if (model_.fontPoints() > 0)
        lf.lfHeight = -MulDiv(model_.fontPoints(), windowDpi(hwnd_), 72);
    if (!model_.fontName().empty()) {
        const std::wstring face = toWide(model_.fontName());
        lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    }
    Font own{CreateFontIndirectW(&lf)};
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(own.get()), TRUE);
    ownFont_ = std::move(own);
}

HBRUSH ChildPeer::colors(HDC dc) {
    if (model_.foreColor() == ui::kDefaultColor && !backBrush_)
        return nullptr;
    if (model_.foreColor() != ui::kDefaultColor)
        SetTextColor(dc, realColor(model_.foreColor()));
    if (backBrush_) {
        SetBkColor(dc, realColor(model_.backColor()));
        return backBrush_.get();
    }
    // Only the text has its own colour: a box the user types into keeps the window's
    // background, everything else the face of the dialog.
    wchar_t cls[16] = {};
    GetClassNameW(hwnd_, cls, 16);
    if (lstrcmpiW(cls, L"Edit") == 0 && IsWindowEnabled(hwnd_) &&
        !(GetWindowLongPtrW(hwnd_, GWL_STYLE) & ES_READONLY)) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return GetSysColorBrush(COLOR_WINDOW);
    }
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
}

void ChildPeer::takeFocus() {
    form_.refocusLater(hwnd_);
}

void ChildPeer::onNotify(int) {}

void ChildPeer::focusGained() {
    form_.focusModel(model_);
}

std::unique_ptr<ChildPeer> makeChildPeer(ui::Control& model, HWND child, PeerHost& form) {
    if (dynamic_cast<ui::TextBox*>(&model))
        return std::make_unique<TextBoxPeer>(model, child, form);
    if (dynamic_cast<ui::CheckBox*>(&model))
        return std::make_unique<CheckBoxPeer>(model, child, form);
    if (dynamic_cast<ui::Button*>(&model))
        return std::make_unique<ButtonPeer>(model, child, form);
    if (dynamic_cast<ui::Label*>(&model))
        return std::make_unique<LabelPeer>(model, child, form);
    if (dynamic_cast<ui::ListControl*>(&model)) {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        return std::make_unique<ListPeer>(model, child, form, lstrcmpiW(cls, L"ComboBox") == 0);
    }
    if (dynamic_cast<ui::ScrollBar*>(&model))
        return std::make_unique<ScrollBarPeer>(model, child, form);
    if (dynamic_cast<ui::ProgressBar*>(&model))
        return std::make_unique<ProgressBarPeer>(model, child, form);
    if (dynamic_cast<ui::TabStrip*>(&model))
        return std::make_unique<TabPeer>(model, child, form);
    if (auto* canvas = dynamic_cast<ui::CanvasView*>(&model))
        return std::make_unique<CanvasViewPeer>(*canvas, child, form);
    if (auto* picture = dynamic_cast<ui::PictureView*>(&model))
        return std::make_unique<PictureViewPeer>(*picture, child, form);
    return nullptr;
}

bool childWindowClassFor(const ui::Control& model, const wchar_t*& className, DWORD& style) {
    style = WS_CHILD | WS_VISIBLE;
    if (auto* text = dynamic_cast<const ui::TextBox*>(&model)) {
        className = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL | (text->locked() ? ES_READONLY : 0);
        return true;
    }
    if (dynamic_cast<const ui::Label*>(&model)) {
        className = L"STATIC";
        style |= SS_NOTIFY;
        return true;
    }
    if (dynamic_cast<const ui::CheckBox*>(&model)) {
        className = L"BUTTON";
        style |= WS_TABSTOP | BS_CHECKBOX | BS_NOTIFY;
        return true;
    }
    if (dynamic_cast<const ui::Button*>(&model)) {
        className = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
        return true;
    }
    if (dynamic_cast<const ui::CanvasView*>(&model)) {
        className = pictureViewClass();
        style |= WS_TABSTOP | WS_HSCROLL | WS_VSCROLL;
        return true;
    }
    if (dynamic_cast<const ui::PictureView*>(&model)) {
        className = pictureViewClass();
        style |= WS_HSCROLL | WS_VSCROLL;
        return true;
    }
    return false;
}

} // namespace pictorn::platform::win32
