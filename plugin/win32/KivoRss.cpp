// The module's one export: the host calls it once to obtain the plugin object.
#include <windows.h>

extern "C" __declspec(dllexport) void __stdcall CreateNimbraPLUGIN(void** plugin, void* service);

extern "C" __declspec(dllexport) void __stdcall CreateNimbraPLUGIN(void** plugin, void* service) {
  (void)service;
  // The plugin object arrives with the host dispatch; until then the host gets none.
  if (plugin != nullptr) *plugin = nullptr;
}
