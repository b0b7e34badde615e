// The main window's state and behaviour, toolkit-free: the three lists, the fields as the
// view holds them, the random source, the handlers and how they run, the stop on close.
//
// The handlers carry the names of the events that fire them. A handler builds a Context
// over the form (the form is the operations' FieldReader, reading the view's fields afresh
// at each use), calls its operation and shows any failure that escapes in the error box.
// One operation runs at a time: a click that would start another while one runs (it pumps
// events) is ignored; closing the window meanwhile stops the writer or the erase after the
// file it is on (the window stays open), and waits for any other operation to return.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/context.h"
#include "form/form_feedback.h"
#include "form/view.h"

namespace brimwell::form {

class MainForm : public FieldReader {
 public:
  // `applicationTitle` is the caption of every notice and error box; the form's timing
  // (pump spacing, a held arrow's repeat) goes by `clock`. The view is not called before
  // FormCreate().
  MainForm(View& view, std::string applicationTitle, const FormClock& clock = steadyClock());
  ~MainForm() override;

  void FormCreate();
  void analyseClick();
  void Load1Click();
  void Save1Click();
  void buildClick();
  void reproduceClick();
  void del1Click();
  void del2Click();
  // Runs the handler of the button or menu item `componentName` ("analyse", "sizeload",
  // "Load1" ...); false when that component has none.
  bool click(std::string_view componentName);
  // Loads `file` into the size template as Load1Click does after its dialog (a template
  // named when the window starts).
  void openTemplateFile(std::string file);

  // How every handler runs its operation: not at all while another one runs; with a
  // fresh Context; a failure that escapes is shown in the error box and the window goes
  // on waiting for input; a close asked for meanwhile happens afterwards, unless it
  // stopped a writer or an erase.
  void runHandler(const std::function<void(Context&)>& body);
  // The user asks to close the window: true when it may close now. While an operation
  // runs it is asked to stop, and the window closes (or not) when it returns.
  bool closeAsked();
  // The user's regional settings changed.
  void localeChanged();

  std::int32_t value(SpinField field) override;
  std::string text(EditField field) override;

  Workspace& workspace() { return workspace_; }
  RandomSource& random() { return random_; }
  FileSystem& fileSystem() { return *fileSystem_; }
  FormFeedback& feedback() { return feedback_; }
  const FormClock& clock() const { return clock_; }
  const std::string& decimalSeparator() const { return decimalSeparator_; }
  const std::string& applicationTitle() const { return applicationTitle_; }
  bool operationRunning() const { return running_; }

 private:
  View& view_;
  std::string applicationTitle_;
  const FormClock& clock_;
  Workspace workspace_;
  std::unique_ptr<FileSystem> fileSystem_;
  RandomSource random_;
  std::unique_ptr<Collation> collation_;
  std::string decimalSeparator_;
  FormFeedback feedback_;
  bool running_ = false;
  bool closeRequested_ = false;
};

// The program's title, the caption of every notice and error box: from the file name of
// the running executable as the system knows it, not from the name it was started by
// ("brimwell" typed at a Windows prompt still gives "Brimwell").
std::string programTitle();

// The status line's tooltip after an erase that left `failed` listed files behind
// (empty when none).
std::string erasedFailuresTip(std::int64_t failed);

}  // namespace brimwell::form
