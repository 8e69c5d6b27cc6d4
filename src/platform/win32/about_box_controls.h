#pragma once
// Two label classes the about box's dialog template names: a title in a larger font and
// a web link (underlined, hand pointer, clickable). They behave like STATIC controls
// towards the form (text, font, WM_CTLCOLORSTATIC colours, STN_CLICKED), so the model's
// labels bind to them by id like to any other label.
#include <windows.h>

namespace pictorn::platform::win32 {

inline constexpr wchar_t kTitleLabelClass[] = L"PictornTitleLabel";
inline constexpr wchar_t kLinkLabelClass[] = L"PictornLinkLabel";

// Registers both classes (once); must run before the about box is created.
void registerAboutBoxControls();

} // namespace pictorn::platform::win32
