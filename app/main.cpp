// The korvan executable: the main routine does everything and ends the
// process itself.
#include <cstdio>
#include <exception>

#include "app/process_exit.h"
#include "app/program.h"

int main() {
  try {
    korvan::ProgramMain();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvan: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "korvan: unknown error\n");
  }
  korvan::EndProcess(1);
}
