#include "installer/wizard.h"

int main(int argc, char** argv) {
  return vek::installer::RunInstaller(argc, argv);
}
