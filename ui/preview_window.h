// The preview window: a finished listing in the embedded browser, with Save
// as, Print and Close; or, without the browser or with the internal viewer
// off, the listing handed to the system's browser. It remembers its placement
// through four settings.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "ui/main_window.h"
#include "window_kit/browser_host.h"
#include "window_kit/flat_button.h"
#include "window_kit/window_base.h"

namespace lumadir {

struct listing_settings;

enum preview_window_id : int32_t {
  id_preview_SpeedButton3 = 301,  // save as
  id_preview_SpeedButton1,        // print
  id_preview_SpeedButton2,        // close
  id_preview_Panel2,
};

constexpr int32_t preview_window_help_context = 6;

class TForm2 : public vexa_generic_ui_class, public listing_viewer {
 public:
  TForm2() noexcept = default;
  ~TForm2() override;

  // Builds the window, hidden, and the browser in Panel2; without the browser
  // the window still exists.
  bool create(TLumadir* main_window) noexcept;
  void set_settings(listing_settings* settings) { settings_ = settings; }
  void localize() noexcept;
  void restore_geometry() noexcept;
  bool has_browser() const { return browser_ != nullptr; }
  browser_host* browser() { return browser_.get(); }
  HWND panel() const { return Panel2; }

  // listing_viewer
  void show_listing() noexcept override;
  void placement(int32_t& width, int32_t& height, int32_t& left, int32_t& top) noexcept override;

  void SpeedButton3Click() noexcept;  // save as
  void SpeedButton1Click() noexcept;  // print

 protected:
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void rescale() noexcept override;
  void lay_out() noexcept override;
  void paint(HDC dc) noexcept override;

 private:
  void FormClose() noexcept;
  void FormResize() noexcept;

  TLumadir* main_ = nullptr;
  listing_settings* settings_ = nullptr;
  std::unique_ptr<browser_host> browser_;
  HWND Panel2 = nullptr;
  flat_button SpeedButton3, SpeedButton1, SpeedButton2;
};

}  // namespace lumadir
