// One listing run: the source folder and the settings become one finished
// listing file, on a worker thread of its own, for a preview (a temporary HTML
// file) or a save (the chosen file, in the form `output_type` names).
#pragma once

#include <cstdint>

#include "engine/listing_settings.h"

namespace lumadir {

// Clears the stop request, sets run_active and starts the worker, which clears
// run_active as its very last action. False when no thread could be started:
// run_active is then clear again and result_code holds cannot_create.
bool start_run(listing_settings& settings) noexcept;

// The run itself, on the calling thread (the worker runs exactly this).
void execute_run(listing_settings& settings) noexcept;

// Deletes the previous preview's temporary file, if any, and forgets it.
void delete_previous_temporary_file(listing_settings& settings) noexcept;

// "/" to "\", trailing "\" removed, a bare drive given its root "\".
void normalise_source_path(variant& path) noexcept;

// Sets the stop request and waits until the run has ended.
void stop_run_and_wait(listing_settings& settings) noexcept;

}  // namespace lumadir
