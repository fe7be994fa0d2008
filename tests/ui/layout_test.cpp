// No text is cut off: every caption of the settings dialog fits the control
// that shows it, measured in the control's own font, in every language and at
// 96 and 192 DPI; and every control lies inside the tab that holds it.
#include <windows.h>
#include <commctrl.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/ui/ui_fixture.h"
#include "ui/settings_dialog.h"

namespace lumadir::testing {
namespace {

std::wstring wide_text(HWND control) {
  wchar_t text[512] = {};
  GetWindowTextW(control, text, 512);
  return text;
}

// The text as drawn: "&x" shows as "x", "&&" as "&".
std::wstring without_mnemonic(const std::wstring& text) {
  std::wstring shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

std::string narrow(const std::wstring& text) {
  char out[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out, sizeof out - 1, nullptr, nullptr);
  return out;
}

// Measures in the font a control draws with.
class font_measure {
 public:
  explicit font_measure(HWND control) : control_(control), dc_(GetDC(control)) {
    font_ = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    old_ = SelectObject(dc_, font_ ? font_ : GetStockObject(SYSTEM_FONT));
  }
  ~font_measure() {
    SelectObject(dc_, old_);
    ReleaseDC(control_, dc_);
  }
  font_measure(const font_measure&) = delete;
  font_measure& operator=(const font_measure&) = delete;

  int width(const std::wstring& text) const {
    SIZE size = {};
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  // The room wrapped text takes at most `width` wide: its widest line (wider
  // than `width` when a word does not fit) and its height.
  SIZE wrapped(const std::wstring& text, int width, bool prefix) const {
    RECT r = {0, 0, width, 0};
    DrawTextW(dc_, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | (prefix ? 0 : DT_NOPREFIX));
    return {r.right, r.bottom};
  }

 private:
  HWND control_;
  HDC dc_;
  HFONT font_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

struct layout_check {
  int dpi;
  std::vector<std::string> faults;

  int scaled(int pixels) const { return MulDiv(pixels, dpi, 96); }

  void fault(HWND control, const std::wstring& text, const char* what, int need, int have) {
    std::ostringstream out;
    out << "control " << GetDlgCtrlID(control) << " \"" << narrow(text) << "\": " << what
        << " needs " << need << ", has " << have;
    faults.push_back(out.str());
  }

  // One control's text within its client area.
  void check(HWND control) {
    const LONG style = static_cast<LONG>(GetWindowLongPtrA(control, GWL_STYLE));
    if (!(style & WS_VISIBLE)) return;
    char class_name[64] = {};
    GetClassNameA(control, class_name, sizeof class_name);
    const std::wstring text = wide_text(control);
    RECT client;
    GetClientRect(control, &client);
    const int width = client.right, height = client.bottom;
    font_measure measure(control);
    if (lstrcmpiA(class_name, "Button") == 0) {
      const LONG type = style & BS_TYPEMASK;
      const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                       type == BS_AUTO3STATE || type == BS_RADIOBUTTON ||
                       type == BS_AUTORADIOBUTTON;
      if (type == BS_GROUPBOX) {
        if (text.empty()) return;
        // The caption starts a little in from the frame and ends before its corner.
        const int need = measure.width(without_mnemonic(text)) + scaled(16);
        if (need > width) fault(control, text, "group caption", need, width);
      } else if (box && !(style & BS_PUSHLIKE)) {
        // The box, the gap after it, the text, and room for the focus frame.
        const int mark = GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + scaled(6);
        if (text.empty()) {
          if (mark - scaled(6) > width) fault(control, text, "check box", mark, width);
        } else if (style & BS_MULTILINE) {
          const SIZE need = measure.wrapped(text, width - mark, true);
          if (need.cx > width - mark) fault(control, text, "word", need.cx + mark, width);
          if (need.cy > height) fault(control, text, "wrapped lines", need.cy, height);
        } else {
          const int need = mark + measure.width(without_mnemonic(text));
          if (need > width) fault(control, text, "check box text", need, width);
        }
      } else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || (style & BS_PUSHLIKE)) {
        const int need = measure.width(without_mnemonic(text)) + scaled(12);
        if (need > width) fault(control, text, "button caption", need, width);
      }
    } else if (lstrcmpiA(class_name, "Static") == 0) {
      if (text.empty() || (style & SS_TYPEMASK) != SS_LEFT) return;
      const SIZE need = measure.wrapped(text, width, !(style & SS_NOPREFIX));
      if (need.cx > width) fault(control, text, "word", need.cx, width);
      if (need.cy > height) fault(control, text, "label lines", need.cy, height);
    } else if (lstrcmpiA(class_name, WC_HEADERA) == 0) {
      const int count = static_cast<int>(SendMessageA(control, HDM_GETITEMCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        wchar_t section_text[128] = {};
        HDITEMW section = {};
        section.mask = HDI_TEXT | HDI_WIDTH;
        section.pszText = section_text;
        section.cchTextMax = 128;
        SendMessageW(control, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&section));
        const int need = measure.width(section_text) + scaled(12);
        if (need > section.cxy) fault(control, section_text, "heading", need, section.cxy);
      }
    } else if (lstrcmpiA(class_name, WC_TABCONTROLA) == 0) {
      const int count = static_cast<int>(SendMessageA(control, TCM_GETITEMCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        RECT tab = {};
        SendMessageA(control, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tab));
        if (tab.right > width) fault(control, L"tab", "tab row", tab.right, width);
      }
    }
  }

  // Every control of `parent` within it, and the same inside the dialog's own
  // containers (tabs, the column area, its rows); what a system control holds
  // is its own affair.
  void check_all(HWND parent) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!(GetWindowLongPtrA(child, GWL_STYLE) & WS_VISIBLE)) continue;
      char class_name[64] = {};
      GetClassNameA(child, class_name, sizeof class_name);
      RECT inner, outer;
      GetClientRect(parent, &outer);
      GetWindowRect(child, &inner);
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&inner), 2);
      if (inner.left < 0 || inner.top < 0 || inner.right > outer.right ||
          inner.bottom > outer.bottom) {
        std::ostringstream out;
        out << "control " << GetDlgCtrlID(child) << " \"" << narrow(wide_text(child))
            << "\" reaches " << inner.right << "," << inner.bottom << " outside its parent's "
            << outer.right << "," << outer.bottom;
        faults.push_back(out.str());
      }
      check(child);
      if (lstrcmpA(class_name, "LumadirPage") == 0 || lstrcmpA(class_name, "vx_panel") == 0)
        check_all(child);
    }
  }
};

class SettingsLayout : public ui_test {
 protected:
  void SetUp() override {
    ui_test::SetUp();
    if (HasFatalFailure()) return;
    open_main_window();
  }
};

TEST_F(SettingsLayout, NoTextIsCutOffOnAnyTabInAnyLanguageAt96And192Dpi) {
  for (int dpi : {96, 192}) {
    for (int32_t language_index = 0; language_index < language.language_count(); ++language_index) {
      language.select_language(language_index);
      TForm1 dialog;
      ASSERT_TRUE(dialog.create(window.get(), variant((program.string() + "\\").c_str())));
      dialog.set_phrases(&language);
      dialog.localize();
      dialog.load(*window->settings());  // the column rows' names
      if (dpi != 96) {
        RECT suggested = {0, 0, 1200, 1000};
        SendMessageA(dialog.handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
      }
      for (int32_t tab = 0; tab < settings_tab_count; ++tab) {
        dialog.select_tab(tab);
        layout_check check{dpi, {}};
        check.check_all(dialog.handle());
        for (const std::string& fault : check.faults)
          ADD_FAILURE() << dpi << " DPI, language " << language_index << ", tab " << tab << ": "
                        << fault;
      }
    }
  }
}

}  // namespace
}  // namespace lumadir::testing
