// How a running operation talks to the user: status line, progress, event pumping,
// notices, confirmations and the choice of a template file.
//
// The window, the command line and the tests each implement it; operations know only this.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brimwell {

class Feedback {
 public:
  virtual ~Feedback() = default;
  // Replaces the status line's text.
  virtual void setStatus(std::string_view text) = 0;
  // Moves the progress bar; values below 0 show as 0, above 100 as 100.
  virtual void setProgress(int percent) = 0;
  // Lets the user interface handle what is pending (repaint, input) and returns.
  virtual void pump() = 0;
  // Called by the long loops (the writer and the erase) after each file: the user
  // interface may handle what is pending, now and then. False when the user asked the
  // running operation to stop: it then ends after the file it is on. By default (the
  // command line, the tests) nothing is handled and the operation goes on.
  virtual bool carryOn() { return true; }
  // A box with the text and one OK button.
  virtual void notice(std::string_view text) = 0;
  // What lies behind the last notice (which file, the system's reason), where the face has
  // room for it: the command line prints it; the window keeps its notice as it is.
  virtual void explain(std::string_view text) { (void)text; }
  // An OK/Cancel question; true only when the user chose OK.
  virtual bool confirm(std::string_view text) = 0;
  // The template file to load ("Load file sizes") or to save to ("Save file sizes");
  // nothing when the user cancels.
  virtual std::optional<std::string> chooseTemplateToLoad() = 0;
  virtual std::optional<std::string> chooseTemplateToSave() = 0;
};

}  // namespace brimwell
