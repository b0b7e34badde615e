// What the window is asked to open when it starts: `Brimwell [toolkit options] [FILE.fs]`.
//
// One size template file may follow the toolkit's options (the Qt window takes Qt's, the
// Windows window none); the window loads it into the first page as its load button does,
// with the same messages when the file is not a template it can read (openTemplateFile).
// -h or --help asks for the usage; anything more, or another option, is refused before the
// window opens.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brimwell::form {

struct StartArguments {
  std::optional<std::string> templateFile;  // the file to open, if one was given
  std::string refusal;                      // why the arguments are refused; empty when not
  bool help = false;                        // the usage is asked for
};

// `arguments` are what remains after the program's name and the toolkit's options.
StartArguments readStartArguments(std::span<const std::string> arguments);

// The usage: what help shows, and what follows a refusal. `toolkitOptions` names the
// toolkit's options in the synopsis ("Qt options"; empty: none).
std::string startUsage(std::string_view toolkitOptions);

}  // namespace brimwell::form
