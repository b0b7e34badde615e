#include "cli/session.h"

#include <cstdio>

#include "platform/locale_info.h"
#include "platform/native_file_system.h"
#include "platform/path_style.h"
#include "platform/terminal.h"
#ifndef _WIN32
#include "platform/posix_file_system.h"
#endif

namespace brimwell::cli {
namespace {

Answering answeringFor(const CliOptions& options) {
  if (options.yes) return Answering::Yes;
  return isTerminal(stdin) ? Answering::AskUser : Answering::NoOneToAsk;
}

void putOptionsIntoFields(const CliOptions& options, FieldValues& fields) {
  if (options.files) fields.setValue(SpinField::SpinEdit1, *options.files);
  if (options.folders) fields.setValue(SpinField::SpinEdit2, *options.folders);
  if (!options.roots.empty()) {
    // Roots given replace all five; those not given are empty, with depth 0.
    for (int r = 0; r < 5; ++r) {
      const auto index = static_cast<std::size_t>(r);
      const bool given = index < options.roots.size();
      fields.setText(rootNameField(r), given ? options.roots[index].name : std::string());
      fields.setValue(rootDepthField(r), given ? options.roots[index].depth : 0);
    }
  }
  if (options.prefix) fields.setText(EditField::id, *options.prefix);
  if (options.target) fields.setText(EditField::reprodpath, *options.target);
  if (options.percent) fields.setValue(SpinField::delprocent, *options.percent);
  // An empty location is the user's, as in the window's field: the census says so.
  if (options.command == Command::Census || !options.location.empty()) {
    fields.setText(EditField::scanpath, options.location);
  }
}

}  // namespace

Session::Session(const CliOptions& options)
    : feedback_(stderr, stdin, answeringFor(options), isTerminal(stderr)),
      fs_(makeNativeFileSystem()),
      collation_(userCollation()),
      context_{lists_,  fields_,     feedback_,           *fs_,
               random_, *collation_, PathStyle::native(), userDecimalSeparator()} {
  putOptionsIntoFields(options, fields_);
}

void Session::seedRandom(std::optional<std::uint32_t> seed) {
  if (seed) {
    random_.setState(*seed);
    return;
  }
  feedback_.say("seed: " + std::to_string(random_.seedFromClock()));
}

std::string unmappedDriveNote(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return {};
#else
  if (!PathStyle::startsWithDrive(path)) return {};
  std::string native;
  int error = 0;
  if (PosixFileSystem().toNative(path, native, error)) return {};
  return "The path '" + path + "' starts with the drive " + path.substr(0, 2) +
         ", which is not mapped on this system (only c: is, as /). Give --target a folder "
         "instead, for example --target /tmp/brimwell-out/";
#endif
}

}  // namespace brimwell::cli
