#include "cli/measure_command.h"

#include <cstdio>

#include "app/failure.h"
#include "cli/exit_codes.h"
#include "cli/measure_report.h"
#include "cli/unread_report.h"
#include "measure/measure_picture.h"
#include "measure/measurement_json.h"
#include "platform/atomic_replace.h"

namespace brimwell::cli {
namespace {

// A new file beside `path` renamed over it, so a failed write leaves no half picture.
void writeWhole(const std::string& path, const std::string& text) {
  const int error = replaceFileWithText(path, text);
  if (error != 0) throw Failure("Cannot write the picture " + path + ": " + ioErrorText(error));
}

}  // namespace

int measureCommand(Session& session, const CliOptions& options) {
  measure::MeasureRequest request;
  request.target = options.location;
  request.templateFile = options.templateFile;
  request.probeBytes = options.probeBytes;
  request.readCost = options.readCost;
  if (request.probeBytes > 0) session.seedRandom(std::optional<std::uint32_t>{1});
  const measure::Measurement measurement = measure::measure(request, session.context());
  if (!options.svgFile.empty())
    writeWhole(options.svgFile, measure::measurementPicture(measurement));
  const std::string text =
      options.json ? measure::measurementJson(measurement) : measurementTable(measurement);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  return reportUnread(session, measurement.unread, "measure",
                      measurement.probe.stopped ? kExitStopped : kExitDone);
}

}  // namespace brimwell::cli
