#include "app/window_setup.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <new>

#include "app/program_start.h"
#include "app/settings_place.h"
#include "base/message_box.h"
#include "base/owned.h"
#include "base/phrase_table.h"
#include "base/product.h"
#include "base/registry.h"
#include "base/shell.h"
#include "engine/phrase_ids.h"
#include "engine/settings_file.h"
#include "ui/about_box.h"
#include "ui/main_window.h"
#include "ui/preview_window.h"
#include "ui/settings_dialog.h"
#include "setup/App_setup_form.h"
#include "base/file_system.h"
#include "window_kit/message_loop.h"

namespace lumadir {

static void initialise_common_controls() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                                        ICC_DATE_CLASSES | ICC_TAB_CLASSES |
                                                        ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
}

void run_installer(phrase_table& language, const variant& program_folder,
                   const char* command_line) noexcept {
  initialise_common_controls();
  // The installation writes under HKEY_LOCAL_MACHINE and Program Files: without
  // administrator rights it would fail half-way, so it asks for them first.
  // A copy started for that carries the marker and never asks again.
  variant marker("");
  const bool relaunched = first_token(command_line, marker) && marker == variant("/elevated");
  if (!process_elevated() && !relaunched) {
    variant program = own_file_name();
    SHELLEXECUTEINFOA elevate = {};
    elevate.cbSize = sizeof elevate;
    elevate.fMask = SEE_MASK_NOASYNC;
    elevate.lpVerb = "runas";
    elevate.lpFile = program.c_str();
    elevate.lpParameters = "/elevated";
    elevate.lpDirectory = program_folder.c_str();
    elevate.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&elevate))
      show_message_box(nullptr, language.phrase_text(41), product_title, box_error);
    return;
  }
  std::unique_ptr<TSetupForm> form(new (std::nothrow) TSetupForm);
  if (!form || !form->create(program_folder)) return;
  form->set_phrases(&language);
  form->start();
  if (!form->aborted()) {
    ShowWindow(form->handle(), SW_SHOWNORMAL);
    run_message_loop();
  }
}

about_box* run_listing_program(const variant& program_folder, phrase_table& language,
                               phrase_table& format, const char* command_line) noexcept {
  initialise_common_controls();
  // Created in this order; the framework's part (destroying them) is ours here,
  // in the reverse order, when the loop has ended: the main window lets go of
  // its viewer first.
  std::unique_ptr<TLumadir> main(new (std::nothrow) TLumadir);
  std::unique_ptr<TForm2> preview(new (std::nothrow) TForm2);
  std::unique_ptr<TForm1> settings_dialog(new (std::nothrow) TForm1);
  const scope_exit release_viewer([&] {
    if (main) main->set_viewer(nullptr);
  });
  if (!main || !preview || !settings_dialog) return nullptr;
  main->build();
  if (!main->created()) return nullptr;
  preview->create(main.get());
  settings_dialog->create(main.get(), program_folder);

  variant user_data("");
  user_data_folder(user_data);
  main->set_settings_path(settings_file_place(program_folder, user_data));
  if (read_settings(*main->settings(), main->settings_path()) != settings_read) {
    show_message_box(nullptr, language.phrase_text(phrase_id::settings_unusable), product_title,
                     box_error);
    return nullptr;
  }

  main->set_program_folder(program_folder);
  main->settings()->language_phrases = &language;
  main->settings()->format_phrases = &format;
  main->set_phrases(&language);
  main->localize();
  preview->set_phrases(&language);
  preview->localize();
  settings_dialog->set_phrases(&language);
  settings_dialog->localize();

  std::unique_ptr<about_box> about(new (std::nothrow) about_box);
  if (about && about->create()) {
    about->set_phrases(&language);
    about->localize();
    main->set_about_box(about.get());
  }

  preview->set_settings(main->settings());
  main->set_viewer(preview.get());
  main->set_settings_editor(settings_dialog.get());
  if (preview->has_browser())
    preview->restore_geometry();
  else
    main->hide_preview_button();

  variant token("");
  if (first_token(command_line, token) && names_folder(token))
    main->set_source_folder(token.c_str());

  ShowWindow(main->handle(), SW_SHOWNORMAL);
  UpdateWindow(main->handle());
  run_message_loop();
  return about.release();  // deleted by start-up, after everything else
}

void destroy_about_box(about_box* about) noexcept {
  delete about;
}

}  // namespace lumadir
