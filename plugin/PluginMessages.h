// Message codes and the message record shared with the host.
#pragma once

#include <cstdint>

namespace kivo {

// One machine word: 32 bits in the shipped i686 DLL, where the record is the
// host's 24-byte layout. Pointers travel in these fields.
using TPluginWord = std::uintptr_t;

struct TPluginMessage {
  TPluginWord Code;
  TPluginWord WParam;
  TPluginWord LParam;
  TPluginWord XParam;
  TPluginWord Result;
  TPluginWord DllHandle;
};

// Host to plugin.
constexpr TPluginWord PM_LOAD_INFO = 1;
constexpr TPluginWord PM_RUN = 2;
constexpr TPluginWord PM_QUIT = 3;
constexpr TPluginWord PM_ENABLE = 4;
constexpr TPluginWord PM_DISABLE = 5;
constexpr TPluginWord PM_SHOW_OPTIONS = 6;
constexpr TPluginWord PM_WORD_CHECK = 7;
constexpr TPluginWord PM_WORD_MENU = 8;
constexpr TPluginWord PM_ADD_BUTTONS = 22;
constexpr TPluginWord PM_BUTTON_CLICK = 24;
constexpr TPluginWord PM_HIDE_WINDOWS = 27;
constexpr TPluginWord PM_TEXT_NOTICE = 28;
constexpr TPluginWord PM_CONTACT_DRAW = 51;
constexpr TPluginWord PM_CONTACT_DBLCLICK = 52;
constexpr TPluginWord PM_CONTACT_MENU = 53;
constexpr TPluginWord PM_CONTACT_HINT_SIZE = 58;
constexpr TPluginWord PM_CONTACT_HINT_DRAW = 59;

// Plugin to host.
constexpr TPluginWord PM_SET_XSTATUS = 10;
constexpr TPluginWord PM_GET_XSTATUS = 11;
constexpr TPluginWord PM_ADD_BUTTON = 23;
constexpr TPluginWord PM_CONTACT_ADD = 48;
constexpr TPluginWord PM_CONTACT_REMOVE = 49;
constexpr TPluginWord PM_CONTACT_REDRAW = 50;
constexpr TPluginWord PM_GET_COLORS = 57;

// The colour claimed for the call words in PM_WORD_CHECK (0x00BBGGRR: blue).
constexpr TPluginWord kCallWordColor = 0x00FF0000;
// WParam of PM_CONTACT_ADD.
constexpr TPluginWord kSpecialContactKind = 18;

}  // namespace kivo
