// What the window is asked to open when it starts: `Brimwell [Qt options] [FILE.fs]`.
//
// One size template file may follow the Qt options; the window loads it into the first
// page as its load button does, with the same messages when the file is not a template
// it can read. -h or --help asks for the usage; anything more, or another option that is
// not Qt's, is refused before the window opens.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace brimwell::gui {

class TForm1;

struct StartArguments {
  std::optional<QString> templateFile;  // the file to open, if one was given
  QString refusal;                      // why the arguments are refused; empty when not
  bool help = false;                    // the usage is asked for
};

// `arguments` are what remains after the program's name and the Qt options.
StartArguments readStartArguments(const QStringList& arguments);

// The usage: what help prints, and what follows a refusal.
QString startUsage();

// Loads `file` into the window's size template as Load1Click does after its dialog.
void openTemplateFile(TForm1& form, const QString& file);

}  // namespace brimwell::gui
