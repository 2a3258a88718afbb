#include "tools/host/MessageNames.h"

#include <cstdio>
#include <map>

namespace kivo::host {

std::string MessageName(TPluginWord code) {
  static const std::map<TPluginWord, const char*> kNames = {
      {PM_LOAD_INFO, "PM_LOAD_INFO"},
      {PM_RUN, "PM_RUN"},
      {PM_QUIT, "PM_QUIT"},
      {PM_ENABLE, "PM_ENABLE"},
      {PM_DISABLE, "PM_DISABLE"},
      {PM_SHOW_OPTIONS, "PM_SHOW_OPTIONS"},
      {PM_WORD_CHECK, "PM_WORD_CHECK"},
      {PM_WORD_MENU, "PM_WORD_MENU"},
      {PM_SET_XSTATUS, "PM_SET_XSTATUS"},
      {PM_GET_XSTATUS, "PM_GET_XSTATUS"},
      {PM_ADD_BUTTONS, "PM_ADD_BUTTONS"},
      {PM_ADD_BUTTON, "PM_ADD_BUTTON"},
      {PM_BUTTON_CLICK, "PM_BUTTON_CLICK"},
      {PM_HIDE_WINDOWS, "PM_HIDE_WINDOWS"},
      {PM_TEXT_NOTICE, "PM_TEXT_NOTICE"},
      {PM_CONTACT_ADD, "PM_CONTACT_ADD"},
      {PM_CONTACT_REMOVE, "PM_CONTACT_REMOVE"},
      {PM_CONTACT_REDRAW, "PM_CONTACT_REDRAW"},
      {PM_CONTACT_DRAW, "PM_CONTACT_DRAW"},
      {PM_CONTACT_DBLCLICK, "PM_CONTACT_DBLCLICK"},
      {PM_CONTACT_MENU, "PM_CONTACT_MENU"},
      {PM_GET_COLORS, "PM_GET_COLORS"},
      {PM_CONTACT_HINT_SIZE, "PM_CONTACT_HINT_SIZE"},
      {PM_CONTACT_HINT_DRAW, "PM_CONTACT_HINT_DRAW"},
  };
  const auto found = kNames.find(code);
  return found != kNames.end() ? found->second : "unknown";
}

std::string Hex(TPluginWord value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
  return text;
}

bool IsDrawingMessage(TPluginWord code) {
  return code == PM_CONTACT_DRAW || code == PM_CONTACT_HINT_DRAW || code == PM_GET_COLORS;
}

std::string DescribeRecord(const TPluginMessage& message) {
  return std::to_string(message.Code) + " " + MessageName(message.Code) + " W=" + Hex(message.WParam) +
         " L=" + Hex(message.LParam) + " X=" + Hex(message.XParam) + " R=" + Hex(message.Result);
}

}  // namespace kivo::host
