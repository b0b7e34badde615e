// A likely order of the file list, found from its folders rather than its million paths.
//
// A file's path is its folder's path, the id and the serial. Files of one folder differ
// only in their serials, which ascend with creation; files of different folders usually
// order as their folders (with the id) do. So sorting the few distinct folder texts and
// laying out each folder's files in creation order is nearly always the final order,
// and the collation confirms it with one comparison a neighbour.
#include <algorithm>
#include <string>

#include "fileset/build_steps.h"

namespace brimwell::fileset {

std::vector<std::uint32_t> likelyFileOrder(Collation& collation, const TextTable& folders,
                                           std::string_view id,
                                           const std::vector<std::uint32_t>& folderOfFile) {
  // One group per distinct folder text: the scratch list may hold a path several times.
  const auto folderCount = static_cast<std::uint32_t>(folders.rowCount());
  std::vector<std::uint32_t> byText(folderCount);
  for (std::uint32_t row = 0; row < folderCount; ++row) byText[row] = row;
  std::sort(byText.begin(), byText.end(), [&folders](std::uint32_t a, std::uint32_t b) {
    return folders.caption(a) < folders.caption(b);
  });
  std::vector<std::uint32_t> groupOfFolder(folderCount);
  std::vector<std::string> groupTexts;
  for (std::size_t k = 0; k < byText.size(); ++k) {
    const std::string_view caption = folders.caption(byText[k]);
    if (k == 0 || caption != folders.caption(byText[k - 1])) {
      groupTexts.push_back(std::string(caption).append(id));
    }
    groupOfFolder[byText[k]] = static_cast<std::uint32_t>(groupTexts.size() - 1);
  }

  // The groups' places in collation order.
  const std::vector<std::string_view> views(groupTexts.begin(), groupTexts.end());
  std::vector<std::uint32_t> placeOfGroup(groupTexts.size());
  const std::vector<std::uint32_t> groupOrder = collation.order(views);
  for (std::uint32_t place = 0; place < groupOrder.size(); ++place) {
    placeOfGroup[groupOrder[place]] = place;
  }

  // Files laid out group by group, in creation order within a group (a counting sort).
  std::vector<std::uint32_t> starts(groupTexts.size() + 1, 0);
  for (const std::uint32_t folder : folderOfFile) {
    ++starts[placeOfGroup[groupOfFolder[folder]] + 1];
  }
  for (std::size_t place = 1; place < starts.size(); ++place) starts[place] += starts[place - 1];
  std::vector<std::uint32_t> order(folderOfFile.size());
  for (std::uint32_t file = 0; file < folderOfFile.size(); ++file) {
    order[starts[placeOfGroup[groupOfFolder[folderOfFile[file]]]]++] = file;
  }
  return order;
}

}  // namespace brimwell::fileset
