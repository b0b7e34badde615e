// The handlers of TForm1: each reads what it needs through the context and calls its
// operation; runHandler shows any failure in the error box.
#include "census/census.h"
#include "census/size_template.h"
#include "diskops/fragmentation.h"
#include "diskops/writer.h"
#include "fileset/builder.h"
#include "fileset/template_check.h"
#include "gui/form1.h"

namespace brimwell::gui {

void TForm1::FormCreate() { random_.seedFromClock(); }

void TForm1::analyseClick() {
  runHandler([](Context& context) { census::analyse(context); });
}

void TForm1::Load1Click() {
  runHandler([](Context& context) { census::loadTemplate(context); });
}

void TForm1::Save1Click() {
  runHandler([](Context& context) { census::saveTemplate(context); });
}

void TForm1::buildClick() {
  // A template the builder cannot model gets a notice naming the row; nothing is built.
  runHandler([](Context& context) { fileset::buildChecked(context); });
}

void TForm1::reproduceClick() {
  runHandler([](Context& context) { diskops::reproduce(context); });
}

void TForm1::del1Click() {
  runHandler([](Context& context) { diskops::sortOut(context); });
}

void TForm1::del2Click() {
  runHandler([this](Context& context) {
    const diskops::EraseResult result = diskops::erase(context);
    showErasedFailures(result.failed);
  });
}

void TForm1::showErasedFailures(std::int64_t failed) {
  // The status line keeps "Done."; the count of files left behind is its tooltip.
  if (failed <= 0) return;
  analysestatus->setToolTip(
      QStringLiteral("%1 listed file(s) could not be deleted (missing, locked or read-only).")
          .arg(failed));
}

}  // namespace brimwell::gui
