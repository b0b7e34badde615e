// The reproduction writer: every file entry of the list, in list order, gets its folders
// and a file of its size, filled block by block with random bytes.
//
// Sizes: a size that does not fit a 32-bit cell fails with the cell's message before the
// question; a negative size (a template with descending thresholds can give one) writes an
// empty file and counts as 0 bytes, so the total asked about is what will be written.
// A file whose closing fails ends the run like a failed block write, since what was
// written may not have reached the disk.
//
// No link below the target is followed (Confinement): a link where a folder or a listed
// file should be refuses the file like a read-only one, and nothing is written through it.
#include "diskops/writer.h"

#include <string>

#include "diskops/list_writing.h"
#include "diskops/percent.h"

namespace brimwell::diskops {

Outcome stoppedByUser(Feedback& feedback) {
  feedback.setProgress(0);
  feedback.setStatus("Stopped.");
  feedback.pump();
  return Outcome::Stopped;
}

Outcome reproduceConfirmed(Context& context, const std::function<Outcome()>& writeFiles) {
  Feedback& feedback = context.feedback;
  if (!confirmListTotal(context)) return Outcome::Declined;
  feedback.setStatus("Reproducing folder structure...");
  feedback.setProgress(0);
  feedback.pump();
  const Outcome outcome = writeFiles();
  if (outcome != Outcome::Done) return outcome;
  feedback.setProgress(0);
  feedback.setStatus("Done.");
  feedback.pump();
  return Outcome::Done;
}

Outcome reproduce(Context& context) {
  return reproduceConfirmed(context, [&context] {
    const TextTable& list = context.lists.files1;
    ListWriting writing(context);
    std::string path;
    for (std::size_t row = 0; row < list.rowCount(); ++row) {
      path.assign(list.caption(row));
      auto file = writing.create(path);
      if (!writing.write(*file, listedFileSize(list, row)) || !writing.close(*file)) {
        file->close();
        return writing.failed(path);
      }
      context.feedback.setProgress(percentOf(row + 1, list.rowCount()));
      if (!context.feedback.carryOn()) return stoppedByUser(context.feedback);
    }
    return Outcome::Done;
  });
}

}  // namespace brimwell::diskops
