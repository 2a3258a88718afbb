#include "plugin/win32/Win32ObjectFactory.h"

#include "plugin/win32/ReaderForm.h"
#include "tray/win32/TrayIcon.h"

namespace kivo {

std::unique_ptr<tgradientsclass> TWin32ObjectFactory::CreateSkin() {
  return CreateWin32Skin();
}

std::unique_ptr<IReaderWindow> TWin32ObjectFactory::CreateReaderWindow(tgradientsclass* skin,
                                                                       IReaderHost& host) {
  return CreateWin32ReaderWindow(skin, host);
}

std::unique_ptr<ITrayIcon> TWin32ObjectFactory::CreateTrayIcon(ITrayIconHost& host) {
  return std::make_unique<TTrayIcon>(host);
}

}  // namespace kivo
