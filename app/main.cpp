// Velunar: a personal address and telephone book.
#include "app/velunar_app.h"

int main(int /*argc*/, char** argv) {
  // The program reads no command line: only its own name is passed on.
  velunar::CVelunarApp theApp;
  return theApp.Run(argv[0]);
}
