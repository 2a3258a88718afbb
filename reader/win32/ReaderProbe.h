// The answer to the reader window's test probe (kReaderProbeMessage): what a
// click cannot say, as the host emulator's scripts ask it.
#pragma once

#include <windows.h>

#include "reader/ReaderCommands.h"
#include "reader/ReaderView.h"
#include "reader/ReaderWindow.h"
#include "reader/win32/ThemeGrid.h"

namespace kivo {

struct TProbeSubject {
  IReaderView& View;
  TReaderWindow* Logic;  // null: nothing is done as a user would
  const TRSS* Feeds;     // null while the plugin is stopped
  const TThemeGrid& Grid;
  int HotTab;
};

LRESULT AnswerReaderProbe(TReaderProbe probe, int argument, const TProbeSubject& subject);

}  // namespace kivo
