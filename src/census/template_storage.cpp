// Loading and saving the size template: the file dialogs, the file system, the % column.
//
// Saving replaces the file in one piece (FileSystem::replaceFile): a save that fails, on a
// full drive for example, leaves the old template whole and no new file behind.
#include "app/failure.h"
#include "app/message_text.h"
#include "app/read_limit.h"
#include "census/size_template.h"
#include "platform/windows_errors.h"

namespace brimwell::census {

std::string readTemplateFile(FileSystem& fs, const std::string& path) {
  PathAttributes attributes;
  if (fs.attributes(path, attributes) && !attributes.isDirectory &&
      attributes.size > kReadWholeLimit) {
    throw Failure("The template '" + quotedCell(path) +
                  "' is not read: " + tooLargeToReadText(attributes.size));
  }
  std::string bytes;
  const int error = fs.readFile(path, bytes);
  if (error != 0) throw IoFailure(error);
  return bytes;
}

void loadTemplateFile(Context& context, const std::string& path) {
  // Emptied before the file is read, so a file that cannot be read leaves no rows.
  context.lists.sizes.clear();
  loadTemplateBytes(context, readTemplateFile(context.fs, path));
}

void loadTemplateBytes(Context& context, std::string_view bytes) {
  TextTable& sizes = context.lists.sizes;
  sizes.clear();
  {
    TableBatch batch(sizes);
    readTemplate(bytes, sizes);
  }
  UpdatePercentages(sizes, context.decimalSeparator);
}

void saveTemplateFile(Context& context, const std::string& path) {
  const std::string bytes = writeTemplate(context.lists.sizes);
  int error = 0;
  const auto file = context.fs.replaceFile(path, error);
  if (!file) throw IoFailure(error);
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t written = 0;
    error = file->write(bytes.data() + done, bytes.size() - done, written);
    if (error != 0) throw IoFailure(error);
    // A write that takes nothing without an error is a drive with no room left.
    if (written == 0) throw IoFailure(winerr::kDiskFull);
    done += written;
  }
  error = file->close();
  if (error != 0) throw IoFailure(error);
}

Outcome loadTemplate(Context& context) {
  const auto path = context.feedback.chooseTemplateToLoad();
  if (!path) return Outcome::Declined;
  loadTemplateFile(context, *path);
  context.feedback.setStatus("");
  return Outcome::Done;
}

Outcome saveTemplate(Context& context) {
  const auto path = context.feedback.chooseTemplateToSave();
  if (!path) return Outcome::Declined;
  saveTemplateFile(context, *path);
  return Outcome::Done;
}

}  // namespace brimwell::census
