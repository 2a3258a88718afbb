#include "tools/host/HostModel.h"

#include <algorithm>

#include "tools/host/MessageNames.h"
#include "tools/host/Text.h"

namespace kivo::host {
namespace {

class NullView final : public IHostView {
 public:
  void ButtonsChanged() override {}
  void ContactsChanged() override {}
  void ContactChanged(TPluginWord) override {}
  void XStatusChanged() override {}
  void Log(const std::string&) override {}
};

NullView gNullView;

// The entries the plugin draws with get colours that tell them apart.
constexpr std::uint32_t kDefaultColor = 0x00F0F0F0;
constexpr std::pair<int, std::uint32_t> kNamedColors[] = {
    {8, 0x00000000},   // contact caption: black
    {9, 0x000000C0},   // unread count: red
    {17, 0x00A0A0A0},  // hint dividers: grey
    {21, 0x00602000},  // hint text: dark blue
};

}  // namespace

void HostModel::SetView(IHostView* view) {
  view_ = view != nullptr ? view : &gNullView;
}

HostModel::HostModel() : view_(&gNullView) {
  colors_.fill(kDefaultColor);
  for (const auto& [index, color] : kNamedColors) colors_[static_cast<size_t>(index)] = color;
}

void HostModel::Handle(TPluginMessage& message) {
  switch (message.Code) {
    case PM_SET_XSTATUS:
      SetXStatus(message);
      break;
    case PM_GET_XSTATUS:
      GetXStatus(message);
      break;
    case PM_ADD_BUTTON:
      AddButton(message);
      break;
    case PM_CONTACT_ADD:
      AddContact(message);
      break;
    case PM_CONTACT_REMOVE:
      RemoveContact(message);
      break;
    case PM_CONTACT_REDRAW:
      view_->ContactChanged(message.WParam);
      break;
    case PM_GET_COLORS:
      GetColors(message);
      break;
    default:
      view_->Log("  not a host service message; ignored");
      break;
  }
  if (!IsDrawingMessage(message.Code)) view_->Log("plugin> " + DescribeRecord(message));
}

void HostModel::ForgetPlugin() {
  buttons_.clear();
  contacts_.clear();
  view_->ButtonsChanged();
  view_->ContactsChanged();
}

void HostModel::SetXStatus(const TPluginMessage& message) {
  xstatus_.Number = message.WParam;
  xstatus_.Title = OleString(OleString::TextAt(reinterpret_cast<const void*>(message.LParam)));
  xstatus_.Text = OleString(OleString::TextAt(reinterpret_cast<const void*>(message.XParam)));
  view_->XStatusChanged();
}

void HostModel::GetXStatus(TPluginMessage& message) const {
  message.WParam = xstatus_.Number;
  message.LParam = reinterpret_cast<TPluginWord>(xstatus_.Title.Get());
  message.XParam = reinterpret_cast<TPluginWord>(xstatus_.Text.Get());
}

void HostModel::AddButton(TPluginMessage& message) {
  const auto* info = reinterpret_cast<const TAddBtnInfo*>(message.WParam);
  if (info == nullptr) return view_->Log("  PM_ADD_BUTTON without a button record");
  buttons_.push_back({nextButtonId_++, reinterpret_cast<HICON>(info->Icon), OleString::TextAt(info->Hint)});
  message.Result = buttons_.back().Id;
  view_->Log("  button " + std::to_string(message.Result) + " \"" + ToUtf8(buttons_.back().Hint) + "\"");
  view_->ButtonsChanged();
}

void HostModel::AddContact(TPluginMessage& message) {
  contacts_.push_back(nextContactId_++);
  message.Result = contacts_.back();
  view_->ContactsChanged();
}

void HostModel::RemoveContact(TPluginMessage& message) {
  const auto found = std::find(contacts_.begin(), contacts_.end(), message.WParam);
  if (found == contacts_.end()) {
    message.Result = 1;
    return;
  }
  contacts_.erase(found);
  message.Result = 0;
  view_->ContactsChanged();
}

void HostModel::GetColors(TPluginMessage& message) const {
  message.WParam = reinterpret_cast<TPluginWord>(fontName_.Get());
  message.LParam = static_cast<TPluginWord>(kFontSize);
  message.XParam = reinterpret_cast<TPluginWord>(colors_.data());
}

}  // namespace kivo::host
