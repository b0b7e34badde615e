// Runs the erase pass on a list file, for timing it side by side with `xargs rm -f`
// deleting the same files.
//
//   fragmentation_run erase LIST ROOT   deletes the listed files under ROOT
#include <cstdio>
#include <exception>
#include <string>

#include "diskops/fragmentation.h"
#include "writer_list.h"
#include "writer_run_support.h"

using namespace brimwell;

int main(int argc, char** argv) {
  try {
    if (argc == 4 && std::string(argv[1]) == "erase") {
      bench::Run run;
      bench::loadList(argv[2], argv[3], run.lists.files1);
      Context context = run.context();
      const diskops::EraseResult result = diskops::erase(context);
      if (result.failed != 0) {
        std::fprintf(stderr, "%lld files could not be deleted\n",
                     static_cast<long long>(result.failed));
      }
      return result.failed == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "usage: fragmentation_run erase LIST ROOT\n");
    return 2;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "fragmentation_run: %s\n", failure.what());
    return 1;
  }
}
