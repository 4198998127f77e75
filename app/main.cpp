#include "app/program.h"

int main(int argc, char** argv) {
  return vek::ProgramMain(argc, argv);
}
