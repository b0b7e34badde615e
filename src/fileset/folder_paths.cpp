// The folder step: SpinEdit2 folder paths, each the target path, one of the five root
// names and a random number of eight-letter levels below it.
#include "app/fields.h"
#include "fileset/build_steps.h"

namespace brimwell::fileset {
namespace {

constexpr int kRootCount = 5;
constexpr int kLevelNameLength = 8;
constexpr std::uint32_t kLetterCount = 26;

// The depth field of a root as a count of possible levels. The window keeps it within
// 0 to 99; a value read outside that range is brought into it, since a negative one
// would otherwise wrap to billions of levels.
std::uint32_t levelChoices(FieldReader& fields, SpinField depthField) {
  const SpinFieldInfo& range = spinFieldInfo(depthField);
  const std::int32_t depth = clampToRange(fields.value(depthField), range.minimum, range.maximum);
  return static_cast<std::uint32_t>(depth) + 1u;
}

}  // namespace

void drawFolderPaths(Context& context, TextTable& folders) {
  FieldReader& fields = context.fields;
  RandomSource& random = context.random;
  const char separator = context.style.separator();
  std::string path;
  const std::int32_t total = fields.value(SpinField::SpinEdit2);
  for (std::int32_t k = 1; k <= total; ++k) {
    const auto root = static_cast<int>(random.draw(kRootCount));
    path = fields.text(EditField::reprodpath);
    path += fields.text(rootNameField(root));
    const std::uint32_t levels = random.draw(levelChoices(fields, rootDepthField(root)));
    for (std::uint32_t level = 0; level < levels; ++level) {
      path += separator;
      for (int letter = 0; letter < kLevelNameLength; ++letter) {
        path += static_cast<char>('a' + random.draw(kLetterCount));
      }
    }
    if (!path.empty() && !PathStyle::endsWithSeparator(path)) path += separator;
    folders.addRow(path);

    int percent = 0;
    if (progressPercent(k, fields.value(SpinField::SpinEdit2), percent)) {
      context.feedback.setProgress(percent);
    }
  }
}

}  // namespace brimwell::fileset
