#include "ui/listing_font.h"

#include "base/text_encoding.h"

namespace lumadir {

namespace {
// The style bits of a listing font.
constexpr int32_t style_italic = 1;
constexpr int32_t style_underline = 2;
constexpr int32_t style_line_through = 4;
}  // namespace

LOGFONTW font_description(const font_style& font, int dpi) noexcept {
  LOGFONTW lf = {};
  lf.lfHeight = -MulDiv(font.size, dpi, 72);
  lf.lfWeight = kept_weight(font.weight);
  lf.lfItalic = (font.style & style_italic) ? TRUE : FALSE;
  lf.lfUnderline = (font.style & style_underline) ? TRUE : FALSE;
  lf.lfStrikeOut = (font.style & style_line_through) ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  utf16_text face;
  if (face.assign_wtf8(font.name.c_str(), font.name.length()))
    lstrcpynW(lf.lfFaceName, reinterpret_cast<const wchar_t*>(face.data()), LF_FACESIZE);
  return lf;
}

void take_font_description(const LOGFONTW& lf, font_style& font) noexcept {
  font.style = (lf.lfItalic ? style_italic : 0) | (lf.lfUnderline ? style_underline : 0) |
               (lf.lfStrikeOut ? style_line_through : 0);
  font.weight = kept_weight(lf.lfWeight);
  font.name = wtf8_from_utf16(reinterpret_cast<const char16_t*>(lf.lfFaceName),
                              static_cast<int32_t>(lstrlenW(lf.lfFaceName)));
}

}  // namespace lumadir
