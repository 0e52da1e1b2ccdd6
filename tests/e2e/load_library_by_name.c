/* Loads the library its argument names with the default search order, which
   looks in the program's own folder first: the hazard the guide must avoid,
   shown here so that the planted-library test proves its plant works. */
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  return LoadLibraryA(argv[1]) != NULL ? 0 : 1;
}
