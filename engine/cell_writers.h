// One writer per column key: the cell's opening format phrase, its text and its
// closing phrase, written as one block. A failed write is not reported; the row
// goes on.
#pragma once

#include "engine/columns.h"
#include "engine/listing_settings.h"

namespace lumadir {

column_writer cell_writer_of(column_key key) noexcept;

}  // namespace lumadir
