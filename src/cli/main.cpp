// brimwell-cli: placeholder entry point.
#include <cstdio>

int main() {
  std::puts("brimwell-cli: census, build, reproduce, sort-out, erase, run");
  return 0;
}
