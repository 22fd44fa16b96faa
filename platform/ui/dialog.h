#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/check.h"
#include "platform/ui/command_bar.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/widget.h"
#include "platform/ui/window.h"

namespace tv::ui {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// A screen built from a template. It fills the screen area below the
// navigation bar whatever the template's size, as dialogs did on the
// handheld. RunModal runs a nested event loop until EndDialog; a modeless
// dialog lives until it closes itself.
class Dialog : public Window {
 public:
  explicit Dialog(const DialogTemplate& tmpl);
  ~Dialog() override;

  int RunModal();
  // Creates the window and its controls and initialises it, hidden; Show
  // puts it on screen above the windows already there.
  void CreateModeless();
  // Ends the modal run with `result` (a modeless dialog closes instead).
  void EndDialog(int result);
  // Removes a modeless dialog from the screen after the current event.
  void Close();
  bool IsClosed() const { return closed_; }
  int Result() const { return result_; }

  const DialogTemplate& Template() const { return template_; }
  int TemplateNumber() const { return template_.number; }
  bool HasOkButton() const { return (template_.style & dialog_style::kOkButton) != 0; }

  // The control with `id`, checked to be of type T.
  template <class T>
  T& Control(int id) const {
    Window* child = FindChild(id);
    TV_CHECK(child != nullptr);
    T* typed = dynamic_cast<T*>(child);
    TV_CHECK(typed != nullptr);
    return *typed;
  }

  // The screen's input as shown by the automation's dump, as key and JSON
  // value pairs ({"country", "\"World\""}, {"region", "3"}).
  virtual std::vector<std::pair<std::string, std::string>> InputForDump() const { return {}; }
  // The screen's own view state for the dump's "state" object, in the same
  // form (a map screen gives its zoom and scroll offsets).
  virtual std::vector<std::pair<std::string, std::string>> StateForDump() const { return {}; }
  const char* KindName() const override { return "dialog"; }

  // Runs menu or toolbar command `id` as a tap would; false when the screen
  // has none.
  virtual bool RunCommand(int id) { return command_bar_ != nullptr && command_bar_->RunCommand(id); }

  // The command bar shown in the bottom bar while this screen is active;
  // made on first use.
  CommandBar& GetOrCreateCommandBar();
  CommandBar* GetCommandBar() const { return command_bar_.get(); }

  // The navigation bar's OK button and the Escape key.
  void PressOk() { OnOk(); }
  void PressCancel() { OnCancel(); }

 protected:
  // Called once the controls exist; returns whether the platform should give
  // the focus to the first control.
  virtual bool OnInitDialog() { return true; }
  virtual void OnOk() { EndDialog(kIdOk); }
  // Escape: screens close as their Exit button would.
  virtual void OnCancel() { EndDialog(kIdCancel); }
  // Called when a modeless dialog has been taken off the screen.
  virtual void OnClosed() {}
  bool OnKey(Key key) override;

 private:
  void Create();
  void Destroy();

  const DialogTemplate& template_;
  std::unique_ptr<CommandBar> command_bar_;
  bool created_ = false;
  bool modal_ = false;
  bool ended_ = false;
  bool closed_ = false;
  int result_ = 0;
};

}  // namespace tv::ui
