#pragma once
// The user's answer to a file dialog of the running program: a file is picked in the toolkit's
// own chooser and its open button pressed, or the dialog is cancelled. The chooser is
// GTK's: it is reached through the GTK library the toolkit already loaded (looked up at run
// time, so tests need no GTK headers).

#include <dlfcn.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

#include <filesystem>
#include <memory>
#include <string>

namespace orv::test::windows {

namespace detail {

struct GtkChooser {
  using SelectFn = int (*)(void*, const char*);
  using FilenameFn = char* (*)(void*);
  using FreeFn = void (*)(void*);

  GtkChooser() {
    select = reinterpret_cast<SelectFn>(dlsym(RTLD_DEFAULT, "gtk_file_chooser_select_filename"));
    filename = reinterpret_cast<FilenameFn>(dlsym(RTLD_DEFAULT, "gtk_file_chooser_get_filename"));
    gfree = reinterpret_cast<FreeFn>(dlsym(RTLD_DEFAULT, "g_free"));
  }
  bool Usable() const { return select && filename && gfree; }
  // The chooser's pick now (empty when none).
  std::string Picked(void* widget) const {
    char* name = filename(widget);
    std::string picked = name ? name : "";
    gfree(name);
    return picked;
  }

  SelectFn select = nullptr;
  FilenameFn filename = nullptr;
  FreeFn gfree = nullptr;
};

}  // namespace detail

// Notes the file dialogs the program runs: the toolkit keeps them out of its list of windows.
class FileDialogWatch : public wxModalDialogHook {
 public:
  FileDialogWatch() { Register(); }
  ~FileDialogWatch() override { Unregister(); }
  wxFileDialog* Open() const { return open_; }

 protected:
  int Enter(wxDialog* dialog) override {
    if (auto* file = dynamic_cast<wxFileDialog*>(dialog)) open_ = file;
    return wxID_NONE;  // shown as usual
  }
  void Exit(wxDialog* dialog) override {
    if (dialog == open_) open_ = nullptr;
  }

 private:
  wxFileDialog* open_ = nullptr;
};

// Answers the next file dialog that opens: picks the file at `path` (absolute) and presses
// open, or with an empty path cancels it. Keep the returned timer until the dialog is answered;
// *answered (when given) is set then. Picking waits until the chooser has taken the file (it
// reads the folder in the background).
inline std::unique_ptr<wxTimer> AnswerFileDialog(const std::string& file, bool* answered = nullptr) {
  // The chooser answers the path in its plain form ("/a/b", never "/a//b").
  const std::string path =
      file.empty() ? file : std::filesystem::path(file).lexically_normal().string();
  auto timer = std::make_unique<wxTimer>();
  auto done = std::make_shared<bool>(false);
  auto watch = std::make_shared<FileDialogWatch>();
  timer->Bind(wxEVT_TIMER, [path, answered, done, watch](wxTimerEvent&) {
    if (*done) return;
    wxFileDialog* dialog = watch->Open();
    if (!dialog) return;
    static const detail::GtkChooser gtk;
    if (path.empty() || !gtk.Usable()) {
      *done = true;
      dialog->EndModal(wxID_CANCEL);
      if (answered) *answered = path.empty();
      return;
    }
    void* widget = dialog->GetHandle();
    // The chooser may still be reading the folder: pick again on the next tick.
    gtk.select(widget, path.c_str());
    if (gtk.Picked(widget) != path) return;
    *done = true;
    if (answered) *answered = true;
    // The chooser holds the pick; the dialog ends as its open button ends it.
    dialog->EndModal(wxID_OK);
  });
  timer->Start(100);
  return timer;
}

}  // namespace orv::test::windows
