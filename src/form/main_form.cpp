#include "form/main_form.h"

#include <exception>
#include <utility>

#include "app/failure.h"
#include "census/census.h"
#include "census/size_template.h"
#include "diskops/fragmentation.h"
#include "diskops/writer.h"
#include "fileset/builder.h"
#include "fileset/template_check.h"
#include "platform/locale_info.h"
#include "platform/native_file_system.h"
#include "platform/own_executable.h"

namespace brimwell::form {

MainForm::MainForm(View& view, std::string applicationTitle, const FormClock& clock)
    : view_(view),
      applicationTitle_(std::move(applicationTitle)),
      clock_(clock),
      fileSystem_(makeNativeFileSystem()),
      collation_(userCollation()),
      decimalSeparator_(userDecimalSeparator()),
      feedback_(view, applicationTitle_, clock, bundledTemplateFolderName()) {}

MainForm::~MainForm() = default;

void MainForm::FormCreate() { random_.seedFromClock(); }

void MainForm::analyseClick() {
  runHandler([](Context& context) { census::analyse(context); });
}

void MainForm::Load1Click() {
  runHandler([](Context& context) { census::loadTemplate(context); });
}

void MainForm::Save1Click() {
  runHandler([](Context& context) { census::saveTemplate(context); });
}

void MainForm::buildClick() {
  // A template the builder cannot model gets a notice naming the row; nothing is built.
  runHandler([](Context& context) { fileset::buildChecked(context); });
}

void MainForm::reproduceClick() {
  runHandler([](Context& context) { diskops::reproduce(context); });
}

void MainForm::del1Click() {
  runHandler([](Context& context) { diskops::sortOut(context); });
}

void MainForm::del2Click() {
  runHandler([this](Context& context) {
    const diskops::EraseResult result = diskops::erase(context);
    // The status line keeps "Done."; the count of files left behind is its tooltip.
    if (result.failed > 0) view_.showStatusTip(erasedFailuresTip(result.failed));
  });
}

bool MainForm::click(std::string_view componentName) {
  static constexpr std::pair<std::string_view, void (MainForm::*)()> kHandlers[] = {
      {"analyse", &MainForm::analyseClick},     {"sizeload", &MainForm::Load1Click},
      {"sizesave", &MainForm::Save1Click},      {"Load1", &MainForm::Load1Click},
      {"Save1", &MainForm::Save1Click},         {"build", &MainForm::buildClick},
      {"reproduce", &MainForm::reproduceClick}, {"del1", &MainForm::del1Click},
      {"del2", &MainForm::del2Click},
  };
  for (const auto& [name, handler] : kHandlers) {
    if (name == componentName) {
      (this->*handler)();
      return true;
    }
  }
  return false;
}

void MainForm::openTemplateFile(std::string file) {
  feedback_.dialogs().answerNextWith(std::move(file));
  Load1Click();
  // Not taken when another operation was running: it must not answer a later load.
  feedback_.dialogs().takeNextAnswer();
}

void MainForm::runHandler(const std::function<void(Context&)>& body) {
  // The operations are not written to run inside each other.
  if (running_) return;
  running_ = true;
  feedback_.clearStop();
  Context context{workspace_, *this,       feedback_,           *fileSystem_,
                  random_,    *collation_, PathStyle::native(), decimalSeparator_};
  try {
    body(context);
  } catch (const std::exception& failure) {
    view_.showError(applicationTitle_, errorBoxText(failure.what()));
  }
  running_ = false;
  if (closeRequested_) {
    closeRequested_ = false;
    // A writer or an erase that the close stopped leaves the window open, saying so.
    if (!feedback_.stoppedOperation()) view_.closeWindow();
  }
}

bool MainForm::closeAsked() {
  if (!running_) return true;
  // The running operation still uses the lists and fields: the writer and the erase stop
  // after the file they are on, and the window stays open to show where they stopped; any
  // other operation runs to its end, and the window closes then.
  closeRequested_ = true;
  feedback_.requestStop();
  return false;
}

void MainForm::localeChanged() { decimalSeparator_ = userDecimalSeparator(); }

std::int32_t MainForm::value(SpinField field) {
  return spinFieldValue(view_.fieldText(field), spinFieldInfo(field).minimum);
}

std::string MainForm::text(EditField field) { return view_.fieldText(field); }

std::string programTitle() { return applicationTitle(ownExecutablePath()); }

std::string erasedFailuresTip(std::int64_t failed) {
  if (failed <= 0) return {};
  return std::to_string(failed) +
         " listed file(s) could not be deleted (missing, locked or read-only).";
}

}  // namespace brimwell::form
