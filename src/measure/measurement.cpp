#include "measure/measurement.h"

#include <optional>

#include "app/failure.h"
#include "measure/file_layout.h"
#include "measure/probe.h"
#include "measure/template_fit.h"
#include "measure/tree_walk.h"
#include "platform/volume_layout.h"

namespace brimwell::measure {
namespace {

FillFigures volumeFill(const std::string& target) {
  FillFigures fill;
  VolumeSpace space;
  if (!readVolumeSpace(target, space, fill.why)) return fill;
  fill.known = true;
  fill.volumeBytes = space.totalBytes;
  fill.freeBytes = space.freeBytes;
  fill.usedBytes = space.totalBytes - space.freeBytes;
  fill.blockSize = space.blockSize;
  if (space.totalBytes > 0) {
    fill.usedPercent =
        100.0 * static_cast<double>(fill.usedBytes) / static_cast<double>(space.totalBytes);
  }
  return fill;
}

}  // namespace

Measurement measure(const MeasureRequest& request, Context& context) {
  PathAttributes attributes;
  if (!context.fs.attributes(request.target, attributes) || !attributes.isDirectory) {
    throw Failure("'" + request.target + "' is not a folder that can be measured");
  }
  std::optional<TemplateFit> fit;
  if (!request.templateFile.empty()) fit.emplace(context.fs, request.templateFile);
  settleVolume(request.target);
  Measurement result;
  result.target = request.target;
  result.fill = volumeFill(request.target);

  FileLayoutTally tally(result.fill.blockSize);
  std::vector<Extent> extents;
  FileExtentReader reader;
  bool reported = true;
  std::string why;
  result.fill.folders = walkFiles(
      context.fs, request.target, context.style.separator(), [&](const std::string& path) {
        std::uint64_t size = 0;
        switch (reader.read(path, extents, size, why)) {
          case ExtentsAnswer::Read:
            tally.add(extents);
            break;
          case ExtentsAnswer::FileUnreadable:
            tally.addUnreadable();
            if (PathAttributes listed; context.fs.attributes(path, listed)) size = listed.size;
            break;
          case ExtentsAnswer::NotReported:
            // The size was read before the file system declined; the file is still counted.
            if (reported) result.files.why = why;
            reported = false;
            break;
        }
        ++result.fill.files;
        result.fill.bytes += static_cast<std::int64_t>(size);
        if (fit) fit->add(size);
      });
  const std::string notReported = result.files.why;
  result.files = tally.figures();
  result.files.known = reported;
  if (!reported) result.files.why = notReported;
  if (fit) {
    result.fit = fit->figures();
  } else {
    result.fit.why = "no template given (--template)";
  }

  if (readFreeExtents(request.target, extents, result.freeSpace.why)) {
    result.freeSpace = freeSpaceFigures(std::move(extents));
  }
  if (request.probeBytes > 0) {
    std::string folder = request.target;
    if (!PathStyle::endsWithSeparator(folder)) folder += context.style.separator();
    result.probe = runProbe(context, folder, request.probeBytes);
  }
  return result;
}

}  // namespace brimwell::measure
