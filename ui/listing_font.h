// A listing font (`font_style`) as the system describes fonts. The settings
// keep two weights, normal and bold; anything from semibold up counts as bold.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/listing_settings.h"

namespace lumadir {

constexpr int32_t normal_weight = FW_NORMAL;  // 400
constexpr int32_t bold_weight = FW_BOLD;      // 700

constexpr bool is_bold(int32_t weight) {
  return weight >= FW_SEMIBOLD;
}
// The weight the settings keep for any weight.
constexpr int32_t kept_weight(int32_t weight) {
  return is_bold(weight) ? bold_weight : normal_weight;
}

// The system's description of a listing font at a DPI: height from points,
// the weight by the rule above, the style bits, and the face name (wide, so a
// name of any script fits the 32 characters the system allows).
LOGFONTW font_description(const font_style& font, int dpi) noexcept;
// The face, weight and style that a description gives back (size and colour are
// left to the caller).
void take_font_description(const LOGFONTW& description, font_style& font) noexcept;

}  // namespace lumadir
