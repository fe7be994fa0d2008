// The embedded web browser: the system's WebBrowser control, hosted in a
// window by a small OLE container of our own (a client site and an in-place
// site), navigated to a file, resized with its window, printed, released.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <cstdint>

#include "base/owned_win.h"

namespace lumadir {

// The container: one reference-counted object answering as IOleClientSite,
// IOleInPlaceSite and, for the ambient properties, IDispatch for the control
// in `parent`. Made with a count of 1, which the caller releases.
class browser_container;
[[nodiscard]] browser_container* make_browser_container(HWND parent) noexcept;
IOleClientSite* client_site_of(browser_container* container) noexcept;  // not add-refed
IOleInPlaceSite* in_place_site_of(browser_container* container) noexcept;
// Gives the in-place site the control's in-place object (it takes a reference).
void set_in_place_object(browser_container* container, IOleInPlaceObject* object) noexcept;
IUnknown* unknown_of(browser_container* container) noexcept;

class browser_host {
 public:
  // Out of line: the container is complete only there.
  browser_host() noexcept;
  ~browser_host();
  browser_host(const browser_host&) = delete;
  browser_host& operator=(const browser_host&) = delete;

  // Creates the control in the window and activates it in place there.
  [[nodiscard]] bool create(HWND parent) noexcept;
  void set_visible(bool visible) noexcept;
  // Navigates to a path or address in the ANSI code page.
  bool navigate(const char* path) noexcept;
  void resize(int32_t width, int32_t height) noexcept;
  // Prints the document through the system's print dialog.
  bool print() noexcept;
  // Releases the container and the control, then OLE for the thread.
  void destroy() noexcept;

  IWebBrowser2* browser() const { return browser_.get(); }

 private:
  bool visible_ = true;
  com_ptr<IWebBrowser2> browser_;
  com_ptr<browser_container> container_;
  HWND parent_ = nullptr;
  bool ole_ready_ = false;
};

}  // namespace lumadir
