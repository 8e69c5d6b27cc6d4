#include "app/preferences.h"

#include "app/global_routines.h"

namespace pictorn::app {
namespace {

constexpr int kLastExtension = static_cast<int>(kPictureExtensions.size()) - 1;

} // namespace

std::string HotkeyModifiers::prefix() const {
    std::string text;
    if (ctrl)
        text += "CTRL+";
    if (alt)
        text += "ALT+";
    if (shift)
        text += "SHIFT+";
    return text;
}

PrefixCheck checkPrefix(std::string_view text) {
    if (text.empty() || text == " ")
        return PrefixCheck::Blank;
    return StringChk(text, kReservedFileNameChars).empty() ? PrefixCheck::Usable
                                                           : PrefixCheck::Reserved;
}

std::string_view pictureExtension(int index) {
    if (index < 0 || index > kLastExtension)
        return kPictureExtensions[kPngIndex];
    return kPictureExtensions[static_cast<std::size_t>(index)];
}

} // namespace pictorn::app
