// The fragmentation passes. Sort-out keeps a random share of the file list (the entries
// that the erase will delete); erase deletes every listed file and empties the list.
//
// The share kept is C * percent (a 32-bit product) / 100, rounded half to even. A field
// value outside 1 to 99 (the window clamps it, a script may not) could make it negative or
// larger than the list; it is then brought into 0 to C, so the question names the removals
// that really happen.
#include "diskops/fragmentation.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/cell_number.h"
#include "diskops/confinement.h"
#include "diskops/removal_picker.h"
#include "diskops/writer.h"
#include "platform/windows_errors.h"

namespace brimwell::diskops {

namespace {

std::int64_t entriesToKeep(std::size_t count, std::int32_t percent) {
  const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(count) *
                                                 static_cast<std::uint32_t>(percent));
  // Rounds half to even in the default floating-point rounding mode.
  const double keep = std::nearbyint(static_cast<double>(product) / 100.0);
  return std::clamp<std::int64_t>(static_cast<std::int64_t>(keep), 0,
                                  static_cast<std::int64_t>(count));
}

}  // namespace

std::size_t sortOutRemovals(std::size_t count, std::int32_t percent) {
  return count - static_cast<std::size_t>(entriesToKeep(count, percent));
}

Outcome sortOut(Context& context, std::vector<bool>* picked) {
  TextTable& list = context.lists.files1;
  Feedback& feedback = context.feedback;
  if (list.empty()) {
    feedback.notice("The list is empty!");
    return Outcome::Stopped;
  }
  const std::size_t count = list.rowCount();
  const auto removals = static_cast<std::int64_t>(
      sortOutRemovals(count, context.fields.value(SpinField::delprocent)));
  if (!feedback.confirm("Removing " + formatInteger(removals) + " out of " +
                        formatInteger(static_cast<std::int64_t>(count)) +
                        " random items from the list. The rest files are expected to be "
                        "deleted in step D. Proceed now?")) {
    return Outcome::Declined;
  }
  feedback.setStatus("Updating file list, please wait...");
  feedback.pump();
  std::vector<bool> removed =
      pickRemovals(list.rowCount(), static_cast<std::size_t>(removals), context.random);
  if (picked != nullptr) {
    *picked = std::move(removed);
  } else {
    TableBatch batch(list);
    list.removeRows(removed);
  }
  feedback.setStatus("Done.");
  feedback.pump();
  return Outcome::Done;
}

EraseResult erase(Context& context, EraseKeeps keeps) {
  TextTable& list = context.lists.files1;
  Feedback& feedback = context.feedback;
  if (!feedback.confirm("Erasing " + formatInteger(static_cast<std::int64_t>(list.rowCount())) +
                        " files from the disk. Proceed now?")) {
    return {Outcome::Declined, 0, 0};
  }
  feedback.setStatus("Please wait, erasing files...");
  feedback.pump();
  EraseResult result;
  {
    TableBatch batch(list);
    const Confinement confinement(context);
    std::vector<bool> leaves(keeps == EraseKeeps::Refused ? list.rowCount() : 0, true);
    std::string path;
    for (std::size_t row = 0; row < list.rowCount(); ++row) {
      path.assign(list.caption(row));
      // A missing, locked or read-only file is passed over; it is only counted.
      const int error = context.fs.deleteFile(path);
      if (error == 0) {
        ++result.erased;
      } else {
        ++result.failed;
        if (error == winerr::kFileNotFound || error == winerr::kPathNotFound) {
          ++result.missing;
        } else if (!leaves.empty()) {
          leaves[row] = false;
        }
      }
      // Stopped by the user: the list stays as it is.
      if (!feedback.carryOn()) {
        result.outcome = stoppedByUser(feedback);
        return result;
      }
    }
    if (leaves.empty()) {
      list.clear();
    } else {
      list.removeRows(leaves);
    }
  }
  feedback.setStatus("Done.");
  feedback.pump();
  return result;
}

}  // namespace brimwell::diskops
