#pragma once
// Two label classes a dialog template can name beside the system's: a title (centred, bold,
// 13.5 points) and a web link (underlined, hand pointer, clickable by mouse and by Space,
// a focus frame when it has the keyboard). They behave like STATIC controls towards the
// form (text, font, WM_CTLCOLORSTATIC colours, STN_CLICKED), so the model's labels bind to
// them by id like to any other label.
#include <windows.h>

namespace pictorn::platform::win32 {

inline constexpr wchar_t kTitleLabelClass[] = L"PictornTitleLabel";
inline constexpr wchar_t kLinkLabelClass[] = L"PictornLinkLabel";

// Registers both classes (once); the program calls it before it makes a dialog that uses
// them.
void registerLabelClasses();

} // namespace pictorn::platform::win32
