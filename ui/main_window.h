// The main window: the source folder, the toolbar, the menus and the status
// line. It owns the Listing settings, starts one listing run at a time, polls
// for its end and shows, saves or reports the result.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/shell.h"
#include "engine/listing_settings.h"
#include "window_kit/flat_button.h"
#include "window_kit/message_loop.h"
#include "window_kit/window_base.h"

namespace lumadir {

class about_box;

// What the main window asks of the preview window.
class listing_viewer {
 public:
  virtual ~listing_viewer() = default;
  // Shows the finished preview file (modally, or in the system's browser).
  virtual void show_listing() noexcept = 0;
  // The window's current outer placement, for settings.ini.
  virtual void placement(int32_t& width, int32_t& height, int32_t& left, int32_t& top) noexcept = 0;
};

// What the main window asks of the settings dialog.
class settings_editor {
 public:
  virtual ~settings_editor() = default;
  virtual void load(listing_settings& settings) noexcept = 0;
  virtual void show_modal(HWND owner) noexcept = 0;
};

// Control and command identifiers.
enum main_window_id : int32_t {
  id_Opensourcefolder1 = 101,
  id_Saveas1,
  id_Preview1,
  id_Stop1,
  id_Settings1,
  id_int_brows,
  id_Contents1,
  id_Support1,
  id_About1,
  id_WebSite1,
  id_SpeedButton3 = 201,  // save as
  id_SpeedButton4,        // preview
  id_SpeedButton6,        // stop
  id_SpeedButton5,        // settings
  id_SpeedButton1,        // browse
  id_Edit1,
  id_StatusBar1,
  id_GroupBox1,
};

constexpr UINT_PTR Timer1 = 1;
constexpr int32_t main_window_help_context = 1;

extern const char web_site_caption[];
extern const char web_site_address[];

class TLumadir : public vexa_generic_ui_class {
 public:
  TLumadir() noexcept;
  ~TLumadir() override;

  // Creates the window (hidden) and its Listing settings; `created` tells
  // whether it all worked.
  void build() noexcept;
  bool created() const { return created_; }

  listing_settings* settings() { return settings_.get(); }
  // The program folder, where the help pages lie (a full path with "\").
  const variant& program_folder() const { return program_folder_; }
  void set_program_folder(const variant& folder) noexcept;
  // F1: the page of the help context in the table of help topics, the
  // contents for a context the table does not know.
  bool help_hook(uint32_t command, int32_t context, bool& call_standard_help) noexcept override;
  // Where settings.ini is read and written, a full path.
  void set_settings_path(const variant& path) noexcept;
  const variant& settings_path() const { return settings_path_; }
  void set_viewer(listing_viewer* viewer) { viewer_ = viewer; }
  void set_settings_editor(settings_editor* editor) { editor_ = editor; }
  void set_about_box(about_box* about) { about_ = about; }
  void localize() noexcept;
  void hide_preview_button() noexcept;
  void set_source_folder(const char* folder) noexcept;

  // The save dialog, shared with the preview window's Save as: the rule for
  // its initial folder, and the dialog itself. With `output_type` it offers
  // every listing form, starting at that one, and sets it to the form chosen;
  // without, HTML alone (the preview's copy).
  void set_save_dialog_initial_folder() noexcept;
  bool execute_save_dialog(HWND owner, variant& chosen, int32_t* output_type = nullptr) noexcept;
  const variant& save_dialog_initial_folder() const { return save_initial_folder_; }

  // Writes settings.ini with the preview's placement, as on closing; a box
  // when that fails.
  void save_settings() noexcept { write_settings_file(); }
  bool running() const { return running_; }
  HMENU menu() const { return GetMenu(handle_); }
  // The status line's text.
  variant status_text() const noexcept;

  // The progress handler installed into the Listing settings.
  static void show_progress(void* owner, variant* text);

 protected:
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void rescale() noexcept override;
  void lay_out() noexcept override;
  void paint(HDC dc) noexcept override;

 private:
  void create_controls() noexcept;
  void build_menu() noexcept;
  void enter_idle_state() noexcept;
  void enter_running_state() noexcept;
  void set_status(const char* text) noexcept;
  void command(int32_t id) noexcept;
  // Opens program folder + relative path, or the address, with the shell's
  // "open"; on failure says so in a box owned by this window. True when the
  // shell took it.
  bool open_help_topic(const char* relative_path) noexcept;
  bool open_web_address(const char* address) noexcept;

  void Saveas1Click() noexcept;
  void Preview1Click() noexcept;
  void Stop1Click() noexcept;
  void Settings1Click() noexcept;
  void int_browsClick() noexcept;
  void Opensourcefolder1Click() noexcept;
  void Timer1Timer() noexcept;
  void start_listing_run() noexcept;
  // Writes settings.ini with the preview's placement; a box on failure.
  void write_settings_file() noexcept;
  void FormClose() noexcept;
  void FormDestroy() noexcept;

  std::unique_ptr<listing_settings> settings_;
  browse_request browse_;
  bool created_ = false;
  bool running_ = false;
  // The internal-viewer toggle wrote nothing while a run was reading the
  // settings; the end of the run writes them.
  bool settings_write_pending_ = false;
  variant settings_path_{""};
  variant program_folder_{""};
  variant save_initial_folder_{""};
  listing_viewer* viewer_ = nullptr;
  settings_editor* editor_ = nullptr;
  about_box* about_ = nullptr;

  HWND Edit1 = nullptr;
  HWND GroupBox1 = nullptr;
  HWND StatusBar1 = nullptr;
  flat_button SpeedButton3, SpeedButton4, SpeedButton6, SpeedButton5, SpeedButton1;
  owned_accelerators shortcuts_;
};

}  // namespace lumadir
