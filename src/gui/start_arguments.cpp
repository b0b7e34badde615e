#include "gui/start_arguments.h"

#include "gui/form1.h"

namespace brimwell::gui {

StartArguments readStartArguments(const QStringList& arguments) {
  StartArguments start;
  if (arguments.size() > 1) {
    start.refusal = QStringLiteral("give one size template (.fs) to open, not %1 arguments")
                        .arg(arguments.size());
  } else if (arguments == QStringList{QStringLiteral("-h")} ||
             arguments == QStringList{QStringLiteral("--help")}) {
    start.help = true;
  } else if (arguments.size() == 1 && arguments.front().startsWith('-')) {
    start.refusal = QStringLiteral("unknown option '%1'").arg(arguments.front());
  } else if (arguments.size() == 1) {
    start.templateFile = arguments.front();
  }
  return start;
}

QString startUsage() {
  return QStringLiteral(
      "Usage: Brimwell [Qt options] [FILE.fs]\n"
      "Opens the window of the drive ager, with the size template FILE.fs in its first page\n"
      "when one is given. brimwell-cli runs every step without a window; see man Brimwell.");
}

void openTemplateFile(TForm1& form, const QString& file) {
  form.OpenDialog1.answerNextWith(file);
  form.Load1Click();
}

}  // namespace brimwell::gui
