#pragma once
#include "platform/text_rasterizer.h"

namespace pictorn::platform::win32 {

// GDI draws the text, grey-scale antialiased (never ClearType: its coloured fringes are
// no coverage), in the system's message font at the asked height.
class Win32TextRasterizer final : public TextRasterizer {
public:
    TextCoverage draw(std::string_view utf8, int pixelHeight) override;
};

} // namespace pictorn::platform::win32
