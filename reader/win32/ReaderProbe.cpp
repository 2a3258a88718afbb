#include "reader/win32/ReaderProbe.h"

#include <algorithm>
#include <exception>
#include <string>

namespace kivo {

namespace {

// A feed loads, or its worker's notice has not been taken yet.
bool Busy(const TRSS* feeds) {
  if (feeds == nullptr) return false;
  return std::any_of(feeds->Channels.begin(), feeds->Channels.end(), [](const tchannels& feed) {
    return feed.LoadThread != nullptr || (feed.Run && feed.Run->Loading.load());
  });
}

LRESULT RowMark(const TThemeGrid& grid, int row) {
  const TGridRow* cells = grid.Row(row);
  if (cells == nullptr || cells->Mark.empty()) return -1;
  try {
    return std::stoi(cells->Mark);
  } catch (const std::exception&) {
    return -1;
  }
}

}  // namespace

LRESULT AnswerReaderProbe(TReaderProbe probe, int argument, const TProbeSubject& subject) {
  IReaderView& view = subject.View;
  TReaderWindow* logic = subject.Logic;
  switch (probe) {
    case TReaderProbe::SelectTab:
      if (logic == nullptr || argument < 0 || argument >= view.TabCount()) return 0;
      logic->TabControl1Changing();
      view.SetSelectedTab(argument);
      logic->TabControl1Change();
      return 1;
    case TReaderProbe::SelectRow:
      if (logic == nullptr || argument < 1 || argument >= view.GridRowCount()) return 0;
      view.SetSelectedRow(argument);
      logic->StringGrid1Click();
      return 1;
    case TReaderProbe::Busy:
      return Busy(subject.Feeds) ? 1 : 0;
    case TReaderProbe::RowMark:
      return RowMark(subject.Grid, argument);
    case TReaderProbe::RowCount:
      return view.GridRowCount();
    case TReaderProbe::SelectedTab:
      return view.SelectedTab();
    case TReaderProbe::HotTab:
      return subject.HotTab;
  }
  return 0;
}

}  // namespace kivo
