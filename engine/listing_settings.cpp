#include "engine/listing_settings.h"

#include <new>

namespace lumadir {

listing_settings::listing_settings() noexcept {
  size_unit_texts.put(variant("0"), variant(""));
  size_unit_texts.put(variant("1"), variant("Kb"));
  size_unit_texts.put(variant("2"), variant("Mb"));
  load_number_format(number_format_record);
}

listing_settings::~listing_settings() {
  release_number_format(number_format_record);
}

void listing_settings::progress(variant text) {
  if (!progress_callback) return;
  variant* owned = new (std::nothrow) variant(static_cast<variant&&>(text));
  if (owned) progress_callback(callback_owner, owned);
}

}  // namespace lumadir
