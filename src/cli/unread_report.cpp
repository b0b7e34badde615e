#include "cli/unread_report.h"

#include "app/message_text.h"
#include "cli/exit_codes.h"

namespace brimwell::cli {

int reportUnread(Session& session, const walk::UnreadPaths& unread, const char* command,
                 int exitCode) {
  if (unread.empty()) return exitCode;
  std::string text = "brimwell-cli: " + std::string(command) + ": " + unread.summary() +
                     "; the figures leave them out: ";
  for (std::size_t i = 0; i < unread.named().size(); ++i) {
    const walk::UnreadPaths::Named& named = unread.named()[i];
    text += (i == 0 ? "'" : ", '") + quotedCell(named.path) + "' (" +
            printableMessage(named.reason) + ")";
  }
  const auto named = static_cast<std::int64_t>(unread.named().size());
  if (unread.folders() + unread.files() + unread.repeated() > named) text += ", ...";
  session.feedback().say(text + ".");
  return kExitFailed;
}

}  // namespace brimwell::cli
