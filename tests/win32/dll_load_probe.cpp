// Loads KivoRss.dll the way the messenger does and looks up its entry by name.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dll_load_test PATH\n");
    return 2;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  if (module == nullptr) {
    std::fprintf(stderr, "LoadLibrary(%s) failed: %lu\n", argv[1], GetLastError());
    return 1;
  }
  FARPROC entry = GetProcAddress(module, "CreateNimbraPLUGIN");
  FreeLibrary(module);
  if (entry == nullptr) {
    std::fprintf(stderr, "CreateNimbraPLUGIN not found\n");
    return 1;
  }
  std::printf("CreateNimbraPLUGIN found\n");
  return 0;
}
