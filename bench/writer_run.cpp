// Runs the reproduction writer on a list file, for timing whole runs side by side with a
// plain program that makes the same files.
//
//   writer_run generate LIST [FILES FOLDERS SEED]   writes a desktop-like list
//   writer_run write LIST ROOT [--fresh]            writes its files under ROOT
//
// With --fresh the files go to a new folder under ROOT, so repeated runs write to empty
// folders without anything being deleted between them.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

#include "app/context.h"
#include "diskops/writer.h"
#include "platform/posix_file_system.h"
#include "writer_list.h"
#include "writer_run_support.h"

using namespace brimwell;

int main(int argc, char** argv) {
  try {
    const std::string command = argc > 2 ? argv[1] : "";
    if (command == "generate") {
      const int files = argc > 3 ? std::stoi(argv[3]) : 20000;
      const int folders = argc > 4 ? std::stoi(argv[4]) : 800;
      const unsigned seed = argc > 5 ? static_cast<unsigned>(std::stoul(argv[5])) : 1;
      bench::saveList(argv[2], bench::desktopLikeFiles(files, folders, seed));
      return 0;
    }
    if (command == "write" && argc > 3) {
      std::string root = argv[3];
      if (argc > 4 && std::string(argv[4]) == "--fresh") {
        root += "/run-" + std::to_string(getpid()) + "-" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
      }
      bench::Run run;
      bench::loadList(argv[2], root, run.lists.files1);
      Context context = run.context();
      return diskops::reproduce(context) == Outcome::Done ? 0 : 1;
    }
    std::fprintf(stderr,
                 "usage: writer_run generate LIST [FILES FOLDERS SEED]\n"
                 "       writer_run write LIST ROOT [--fresh]\n");
    return 2;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "writer_run: %s\n", failure.what());
    return 1;
  }
}
