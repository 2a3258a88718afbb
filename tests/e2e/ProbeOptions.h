// The probe's stand-in for the options dialog: a window of the real dialog's
// class with a few controls under the real identifiers, so the host's dialog
// commands are tested apart from KivoRss.dll.
#pragma once

#include <windows.h>

namespace kivo_probe {

void RegisterOptionsClass(HINSTANCE instance);
void UnregisterOptionsClass(HINSTANCE instance);
// Makes the window at the first call; shows it.
void ShowOptions(HINSTANCE instance);
void DestroyOptions();

}  // namespace kivo_probe
