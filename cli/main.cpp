// lumadir-cli: the listing engine from the command line, for scripts and batch
// listings, in any of the listing's forms. It reads the same settings, format and language files as the
// program, never writes the settings file, and writes one listing per call.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/file_system.h"
#include "base/owned.h"
#include "base/phrase_table.h"
#include "base/regex_binding.h"
#include "base/text_encoding.h"
#include "cli/console.h"
#include "engine/listing_format.h"
#include "engine/listing_run.h"
#include "engine/settings_file.h"

using namespace lumadir;

namespace {

// Exit codes; the run's results map onto 0 and 3 to 7.
enum exit_code {
  exit_done = 0,
  exit_usage = 1,
  exit_folder_missing = 2,
  exit_stopped = 3,
  exit_bad_columns = 4,
  exit_cannot_create = 5,
  exit_write_failed = 6,
  exit_no_temporary = 7,
  exit_bad_settings = 8,
  exit_bad_phrases = 9,
  exit_no_regex = 10,
};

const char usage[] =
    "Usage: lumadir-cli [options] FOLDER\n"
    "Writes a listing of FOLDER, as Lumadir would save it: an HTML page, CSV, JSON\n"
    "or plain text.\n"
    "\n"
    "  -o, --output FILE       write the listing to FILE (default: standard output)\n"
    "      --as TYPE           html, csv, json or txt (default: by the extension of\n"
    "                          FILE, .html .htm .csv .json or .txt; else html)\n"
    "      --settings FILE     listing settings (default: settings.ini beside the program)\n"
    "      --format FILE       listing markup (default: format.xml beside the program)\n"
    "      --language FILE     wording (default: vxlang.xml beside the program)\n"
    "  -d, --depth N           subfolder levels to list: 0 the folder only, -1 no limit\n"
    "      --files MASKS       files to list, e.g. \"*.txt;*.doc\"\n"
    "      --skip-files MASKS  files to leave out\n"
    "      --folders MASKS     subfolders to enter\n"
    "      --skip-folders MASKS  subfolders to leave out\n"
    "      --sort KEY          none, name, extension, size, modified, name-exact or\n"
    "                          extension-exact (the exact ones tell capitals apart)\n"
    "      --descending, --ascending   sort order\n"
    "      --units UNIT        sizes in bytes, kb, mb or auto\n"
    "      --times, --no-times show times with the dates, or not\n"
    "      --follow-links, --no-follow-links\n"
    "                          enter folder links (junctions, symbolic links), each\n"
    "                          place once, or list them without entering (default)\n"
    "  -q, --quiet             no progress line (shown only on a console anyway)\n"
    "  -h, --help              this text\n"
    "\n"
    "Every type lists the same folders, rows, columns and totals; the settings file\n"
    "chooses the columns.\n"
    "  html  the page the program previews and prints.\n"
    "  csv   UTF-8 with a byte-order mark, CR LF. A header row of the column titles,\n"
    "        then one row per file or folder: its folder's full path, then the shown\n"
    "        columns in order. Sizes in bytes (empty for folders), times local as\n"
    "        2024-06-10 06:13:05, attributes as letters (A C H L O R S T). No summary\n"
    "        rows. A cell starting with = + - @, a tab or a carriage return (after any\n"
    "        apostrophes) gets an apostrophe in front, so spreadsheets show it as text\n"
    "        and run no formula; drop one leading apostrophe from a cell matching\n"
    "        ^'+[=+\\-@\\t\\r] to get the exact text back.\n"
    "  json  one UTF-8 object: program, source, settings (columns, sort, depth,\n"
    "        rows, summaries, links, filter), folders (each with path and entries, and\n"
    "        summary {files, folders, size}, or unreadable: true) and total (or null).\n"
    "        An entry has kind (file, folder or link) and the shown columns: name,\n"
    "        extension, size (bytes; null for folders), modified, created, accessed\n"
    "        (ISO 8601 with the UTC offset, 2024-06-10T06:13:05+02:00), attributes\n"
    "        (letters), type.\n"
    "  txt   UTF-8 text, CR LF: each folder indented under its parent, its rows with\n"
    "        the columns aligned under their titles, its summary, then the total.\n"
    "\n"
    "Exit codes: 0 done; 1 bad options; 2 no such folder; 3 stopped; 4 the settings'\n"
    "columns are unusable; 5 the output file cannot be created; 6 writing failed;\n"
    "7 no temporary folder; 8 settings file missing or invalid; 9 format or language\n"
    "file missing or invalid; 10 vx_regex.dll cannot be loaded.\n";

struct options {
  const char* folder = nullptr;
  const char* output = nullptr;
  const char* as = nullptr;
  const char* settings = nullptr;
  const char* format = nullptr;
  const char* language = nullptr;
  const char* depth = nullptr;
  const char* files = nullptr;
  const char* skip_files = nullptr;
  const char* folders = nullptr;
  const char* skip_folders = nullptr;
  const char* sort = nullptr;
  int descending = -1;
  const char* units = nullptr;
  int times = -1;
  int follow_links = -1;
  bool quiet = false;
  bool help = false;
};

int fail(int code, const char* what, const char* detail = "") {
  std::fprintf(stderr, "lumadir-cli: %s%s\n", what, detail);
  return code;
}

// Options that take a value: "-o FILE", "--output FILE" or "--output=FILE".
struct value_option {
  const char* short_name;
  const char* long_name;
  const char* options::*field;
};
const value_option value_options[] = {
    {"-o", "--output", &options::output},
    {nullptr, "--as", &options::as},
    {nullptr, "--settings", &options::settings},
    {nullptr, "--format", &options::format},
    {nullptr, "--language", &options::language},
    {"-d", "--depth", &options::depth},
    {nullptr, "--files", &options::files},
    {nullptr, "--skip-files", &options::skip_files},
    {nullptr, "--folders", &options::folders},
    {nullptr, "--skip-folders", &options::skip_folders},
    {nullptr, "--sort", &options::sort},
    {nullptr, "--units", &options::units},
};

// False with the offending argument in `problem`.
bool parse(int argc, char** argv, options& o, const char*& problem) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    problem = a;
    if (!std::strcmp(a, "-h") || !std::strcmp(a, "--help")) {
      o.help = true;
      continue;
    }
    if (!std::strcmp(a, "--descending")) {
      o.descending = 1;
      continue;
    }
    if (!std::strcmp(a, "--ascending")) {
      o.descending = 0;
      continue;
    }
    if (!std::strcmp(a, "--follow-links") || !std::strcmp(a, "--no-follow-links")) {
      o.follow_links = a[2] == 'f' ? 1 : 0;
      continue;
    }
    if (!std::strcmp(a, "-q") || !std::strcmp(a, "--quiet")) {
      o.quiet = true;
      continue;
    }
    if (!std::strcmp(a, "--times")) {
      o.times = 1;
      continue;
    }
    if (!std::strcmp(a, "--no-times")) {
      o.times = 0;
      continue;
    }
    bool matched = false;
    for (const value_option& v : value_options) {
      const size_t n = std::strlen(v.long_name);
      if (!std::strncmp(a, v.long_name, n) && a[n] == '=') {
        o.*v.field = a + n + 1;
      } else if (!std::strcmp(a, v.long_name) || (v.short_name && !std::strcmp(a, v.short_name))) {
        if (i + 1 >= argc) return false;  // the value is missing
        o.*v.field = argv[++i];
      } else {
        continue;
      }
      matched = true;
      break;
    }
    if (matched) continue;
    if ((a[0] == '-' && a[1] != '\0') || o.folder) return false;
    o.folder = a;
  }
  problem = nullptr;
  return true;
}

// A whole number, all of the text; false otherwise.
bool whole_number(const char* text, int32_t& value) {
  if (!text || !*text) return false;
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (*end != '\0' || n < -1000000 || n > 1000000) return false;
  value = static_cast<int32_t>(n);
  return true;
}

// A data file beside the program unless the user named one.
variant beside_program(const char* given, const char* name) {
  if (given) {
    variant path(given);
    make_full_path(path);
    return path;
  }
  variant path = own_file_name();
  const int32_t slash = path.find_last(variant(path_separator));
  path.set_length(slash + 1);
  path.append(name);
  return path;
}

void show_progress(void* owner, variant* text) {
  const auto* settings = static_cast<const listing_settings*>(owner);
  console_progress(text->c_str(), settings->walked_folders, settings->walked_files);
  delete text;
}

int exit_for(run_result result) {
  switch (result) {
    case run_result::done:
      return exit_done;
    case run_result::stopped:
      return exit_stopped;
    case run_result::bad_columns:
      return exit_bad_columns;
    case run_result::cannot_create:
      return exit_cannot_create;
    case run_result::write_failed:
      return exit_write_failed;
    default:
      return exit_no_temporary;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!system_speaks_utf8()) return fail(exit_usage, utf8_windows_needed);
  options o;
  const char* problem = nullptr;
  if (!parse(argc, argv, o, problem))
    return fail(exit_usage, "unknown or incomplete option: ", problem);
  if (o.help) {
    std::fputs(usage, stdout);
    return exit_done;
  }
  if (!o.folder) return fail(exit_usage, "no folder given (see --help)");

  listing_settings settings;
  int32_t depth = 0;
  if (o.depth && !whole_number(o.depth, depth))
    return fail(exit_usage, "--depth wants a whole number, not ", o.depth);
  static const char* const sort_keys[] = {"none",     "name-exact", "extension-exact", "size",
                                          "modified", "name",       "extension"};
  int32_t order = -1;
  if (o.sort) {
    for (int32_t k = 0; k < 7; ++k)
      if (!std::strcmp(o.sort, sort_keys[k])) order = k;
    if (order < 0) return fail(exit_usage, "unknown sort key: ", o.sort);
  }
  int32_t units = -2;
  if (o.units) {
    if (!std::strcmp(o.units, "bytes"))
      units = 0;
    else if (!std::strcmp(o.units, "kb"))
      units = 1;
    else if (!std::strcmp(o.units, "mb"))
      units = 2;
    else if (!std::strcmp(o.units, "auto"))
      units = -1;
    else
      return fail(exit_usage, "unknown size unit: ", o.units);
  }

  // Named, or by the output file's extension; HTML otherwise (never the type the
  // program last saved, which a script could not foresee).
  listing_type type = listing_type::html;
  if (o.as) {
    if (!listing_type_of_name(o.as, type)) return fail(exit_usage, "unknown listing type: ", o.as);
  } else if (o.output) {
    listing_type_of_path(variant(o.output), type);
  }

  if (!load_regex_library()) return fail(exit_no_regex, "can't load vx_regex.dll");
  const scope_exit unload_library([] { unload_regex_library(); });

  const variant settings_path = beside_program(o.settings, "settings.ini");
  const int read = read_settings(settings, settings_path);
  if (read == settings_cannot_open)
    return fail(exit_bad_settings, "cannot read the settings file ", settings_path.c_str());
  if (read != settings_read)
    return fail(exit_bad_settings, "the settings file is not valid: ", settings_path.c_str());

  phrase_table format;
  phrase_table language;
  const variant format_path = beside_program(o.format, "format.xml");
  const variant language_path = beside_program(o.language, "vxlang.xml");
  variant error;
  if (format.load(format_path, error) != phrase_load::loaded)
    return fail(exit_bad_phrases, "the format file cannot be used: ", format_path.c_str());
  if (language.load(language_path, error) != phrase_load::loaded)
    return fail(exit_bad_phrases, "the language file cannot be used: ", language_path.c_str());
  settings.format_phrases = &format;
  settings.language_phrases = &language;

  if (o.depth) settings.subfolders_level = depth;
  if (o.files) settings.filter.str_files_include = o.files;
  if (o.skip_files) settings.filter.str_files_skip = o.skip_files;
  if (o.folders) settings.filter.str_folder_include = o.folders;
  if (o.skip_folders) settings.filter.str_folder_skip = o.skip_folders;
  if (order >= 0) settings.order_files = order;
  if (o.descending >= 0) settings.sort_order = o.descending;
  if (units != -2) settings.size_units = units;
  if (o.times >= 0) settings.show_times = o.times;
  if (o.follow_links >= 0) settings.follow_folder_links = o.follow_links;
  settings.output_type = static_cast<int32_t>(type);

  // Normalised first, so that a bare drive means its root, as in the program.
  variant folder(o.folder);
  normalise_source_path(folder);  // absolute, and otherwise exactly as given
  file_entry facts;
  variant probe(folder);
  if (!path_facts(probe, facts) || !facts.is_folder)
    return fail(exit_folder_missing, "no such folder: ", o.folder);
  settings.source_path = folder;

  variant output("");
  if (o.output) {
    output = o.output;
    make_full_path(output);
  } else if (temporary_folder(output) == 0 ||
             (output.append("1.html"), !unique_temporary_name(output))) {
    return fail(exit_no_temporary, "no temporary folder for the listing");
  }
  settings.save_as_path = output;
  settings.action = 2;
  // Progress only for a person at a console: written anywhere else (a file,
  // a pipe, NUL) it would only cost time.
  if (!o.quiet && console_is_interactive()) {
    settings.progress_callback = show_progress;
    settings.callback_owner = &settings;
  }

  settings.run_active = 1;
  stop_run_on_interrupt(settings);
  execute_run(settings);
  console_progress_done();
  const run_result result = settings.result_code;
  if (!o.output) {
    if (result == run_result::done && !copy_to_standard_output(output)) {
      delete_file(output);
      return fail(exit_write_failed, "cannot write to standard output");
    }
    delete_file(output);
  }
  if (result != run_result::done) {
    static const struct {
      run_result code;
      const char* text;
    } messages[] = {{run_result::stopped, "stopped"},
                    {run_result::bad_columns, "the columns of the settings file are unusable"},
                    {run_result::cannot_create, "cannot create the output file "},
                    {run_result::write_failed, "writing the listing failed: "},
                    {run_result::no_temporary_folder, "no temporary folder"}};
    const bool names_file =
        result == run_result::cannot_create || result == run_result::write_failed;
    for (const auto& m : messages)
      if (m.code == result) fail(0, m.text, names_file ? output.c_str() : "");
  }
  return exit_for(result);
}
