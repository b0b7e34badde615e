// TerminalFeedback on its own: how it draws the progress bar and takes answers, which a
// test cannot reach through the program without a terminal.
#include "cli/terminal_feedback.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace brimwell::cli {
namespace {

class Captured {
 public:
  Captured() : file_(std::tmpfile()) {}
  ~Captured() { std::fclose(file_); }
  std::FILE* file() { return file_; }
  std::string text() {
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) text += static_cast<char>(c);
    return text;
  }

 private:
  std::FILE* file_;
};

TEST(TerminalFeedbackTest, TheBarIsDrawnOnATerminalOnlyWhenItMovesAndGivesWayToText) {
  Captured out;
  {
    TerminalFeedback feedback(out.file(), nullptr, Answering::Yes, true);
    feedback.setProgress(42);
    feedback.setProgress(42);
    feedback.setStatus("Done.");
    feedback.setProgress(0);
  }
  const std::string text = out.text();
  const std::string bar = "\r[################........................] 42%";
  EXPECT_EQ(text.find(bar), 0u) << text;
  EXPECT_EQ(text.find(bar, 1), std::string::npos) << "redrawn without moving";
  // The bar is blanked out before the status line is printed.
  EXPECT_NE(text.find("\r                                                \rDone.\n"),
            std::string::npos)
      << text;

  Captured plain;
  {
    TerminalFeedback feedback(plain.file(), nullptr, Answering::Yes, false);
    feedback.setProgress(42);
    feedback.setStatus("Done.");
  }
  EXPECT_EQ(plain.text(), "Done.\n");
}

TEST(TerminalFeedbackTest, AUserAtATerminalAnswersYesOrAnythingElseForNo) {
  for (const auto& [typed, expected] : {std::pair<const char*, bool>{"y\n", true},
                                        {"YES\n", true},
                                        {"\n", false},
                                        {"nope\n", false},
                                        {"", false}}) {
    Captured answers;
    std::fputs(typed, answers.file());
    std::rewind(answers.file());
    Captured out;
    TerminalFeedback feedback(out.file(), answers.file(), Answering::AskUser, false);
    EXPECT_EQ(feedback.confirm("Proceed now?"), expected) << typed;
    EXPECT_EQ(out.text().find("Proceed now?\nOK to go ahead? [y/N] "), 0u) << out.text();
  }
}

TEST(TerminalFeedbackTest, WithNoOneToAskTheQuestionIsShownAndDeclined) {
  Captured out;
  TerminalFeedback feedback(out.file(), nullptr, Answering::NoOneToAsk, false);
  EXPECT_FALSE(feedback.confirm("Erasing 3 files from the disk. Proceed now?"));
  EXPECT_EQ(out.text(),
            "Erasing 3 files from the disk. Proceed now?\n"
            "Not confirmed: there is no terminal to ask, and --yes was not given.\n");
}

}  // namespace
}  // namespace brimwell::cli
