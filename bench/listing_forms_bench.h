// The listing's forms side by side: the same tree listed as HTML, CSV, JSON and
// plain text, each timed; a mode of listing_bench.
#pragma once

#include <string>

// Prints each form's time and size; 0 when every listing finished.
int compare_listing_forms(const std::string& tree, const std::string& data);
