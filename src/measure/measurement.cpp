#include "measure/measurement.h"

#include <algorithm>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <system_error>

#include "app/failure.h"
#include "measure/extent_query.h"
#include "measure/file_layout.h"
#include "measure/growing_array.h"
#include "measure/probe.h"
#include "measure/read_order.h"
#include "measure/template_fit.h"
#include "measure/tree_walk.h"

namespace brimwell::measure {
namespace {

FillFigures volumeFill(Volume& volume, const std::string& target) {
  FillFigures fill;
  const Expected<VolumeSpace> read = volume.space(target);
  if (!read) {
    fill.why = read.failure().explained();
    return fill;
  }
  const VolumeSpace& space = *read;
  fill.known = true;
  fill.volumeBytes = space.totalBytes;
  fill.freeBytes = space.freeBytes;
  fill.availableBytes = std::min(space.availableBytes, space.freeBytes);
  fill.usedBytes = space.usedBytes();
  fill.blockSize = space.blockSize;
  fill.fileSystem = space.fileSystem;
  fill.usedPercent = space.usedPercent().value_or(0);
  return fill;
}

FreeSpaceFigures volumeFreeSpace(Volume& volume, const std::string& target) {
  Expected<std::vector<Extent>> extents = volume.freeExtents(target);
  if (!extents) {
    FreeSpaceFigures unknown;
    unknown.why = extents.failure().explained();
    return unknown;
  }
  FreeSpaceFigures figures = freeSpaceFigures(std::move(*extents));
  if (const Expected<std::uint64_t> unallocated = volume.unallocatedBytes(target)) {
    figures.unallocatedKnown = true;
    figures.unallocatedBytes = *unallocated;
  }
  return figures;
}

// The walk: each file's extents and size are read on the walk's threads, and followed in walk
// order here once it is over.
void walkTree(const MeasureRequest& request, Context& context, TemplateFit* fit,
              Measurement& result) {
  const char separator = context.style.separator();
  GrowingArray<std::uint64_t> order;  // the query's answers, in walk order
  const auto onFile = [&](std::uint64_t answer) { order.push_back(answer); };
  std::size_t threads = walkThreads(context.fs);
  auto query =
      std::make_unique<ExtentQuery>(context.fs, context.volume, result.fill.blockSize, threads);
  std::optional<std::int64_t> folders =
      walkFiles(context.fs, request.target, separator, *query, threads, onFile, result.unread);
  if (!folders) {
    // No threads to be had: once more on this one.
    threads = 1;
    query =
        std::make_unique<ExtentQuery>(context.fs, context.volume, result.fill.blockSize, threads);
    result.unread = walk::UnreadPaths();
    order.clear();
    folders =
        walkFiles(context.fs, request.target, separator, *query, threads, onFile, result.unread);
  }
  result.fill.folders = *folders;
  result.files = query->figures();
  result.unread.merge(query->unread());

  ReadOrderTally readOrder(result.fill.blockSize, result.fill.volumeBytes);
  for (const std::uint64_t answer : order) {
    const ExtentQuery::File file = query->file(answer);
    ++result.fill.files;
    result.fill.bytes += file.size;
    if (fit) fit->add(file.size);
    readOrder.add(file.extents);
  }
  result.readOrder = readOrder.figures();
  result.readOrder.known = result.files.known;
  result.readOrder.why = result.files.why;
  ReadCostFigures& cost = result.readOrder.readCost;
  if (!request.readCost) {
    cost = ReadCostFigures{};
  } else if (!result.files.known || !result.fill.known) {
    cost = ReadCostFigures{};
    cost.why = result.files.known ? result.fill.why : result.files.why;
  }
  cost.requested = request.readCost;
}

}  // namespace

std::pair<std::size_t, std::size_t> usedSizeClasses(const FreeSpaceFigures& free) {
  std::size_t first = free.histogram.size();
  std::size_t last = 0;
  for (std::size_t k = 0; k < free.histogram.size(); ++k) {
    if (free.histogram[k] == 0) continue;
    first = std::min(first, k);
    last = k;
  }
  return {first, last};
}

Measurement measure(const MeasureRequest& request, Context& context) {
  PathAttributes attributes;
  if (!context.fs.attributes(request.target, attributes) || !attributes.isDirectory) {
    throw Failure("'" + request.target + "' is not a folder that can be measured");
  }
  std::optional<TemplateFit> fit;
  if (!request.templateFile.empty()) fit.emplace(context.fs, request.templateFile);
  Volume& volume = context.volume;
  volume.settle(request.target);
  Measurement result;
  result.target = request.target;
  result.fill = volumeFill(volume, request.target);
  // The free-space map is the volume's, not the tree's, and on a large volume takes a good
  // part of a census's time: it is read beside the walk (here, when no thread is to be had).
  std::future<FreeSpaceFigures> freeSpace;
  try {
    freeSpace = std::async(std::launch::async, volumeFreeSpace, std::ref(volume), request.target);
  } catch (const std::system_error&) {
  }

  walkTree(request, context, fit ? &*fit : nullptr, result);
  if (fit) {
    result.fit = fit->figures();
  } else {
    result.fit.why = "no template given (--template)";
  }

  result.freeSpace = freeSpace.valid() ? freeSpace.get() : volumeFreeSpace(volume, request.target);
  if (request.probeBytes > 0) {
    std::string folder = request.target;
    if (!PathStyle::endsWithSeparator(folder)) folder += context.style.separator();
    result.probe = runProbe(context, folder, request.probeBytes);
  }
  return result;
}

ReadOrderFigures measureReadOrder(const std::string& target, Context& context) {
  context.volume.settle(target);
  MeasureRequest request;
  request.target = target;
  Measurement result;
  result.fill = volumeFill(context.volume, target);
  walkTree(request, context, nullptr, result);
  return result.readOrder;
}

}  // namespace brimwell::measure
