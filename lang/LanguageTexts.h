// The interface texts: one process-wide table filled from a built-in language
// (Russian, Ukrainian, English) or from a language file "*.lng" in the plugin
// folder. All texts are windows-1251.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FilePaths.h"

namespace kivo {

// One member per language-file key, named as the key, in the order the loader
// reads them; opt_check_list_contacts has no key and comes only from the
// built-in sets.
struct TLangTexts {
  std::string lang_plug_show;
  std::string lang_file_loading;
  std::string lang_file_still_loading;
  std::string lang_err_load;
  std::string lang_err_save;
  std::string lang_main_form_caption;
  std::string lang_main_popup_html_copy;
  std::string lang_main_popup_html_find;
  std::string lang_main_popup_html_xstatus;
  std::string lang_main_popup_tray_show;
  std::string lang_main_popup_tray_hide;
  std::string lang_main_popup_mark_read;
  std::string lang_main_popup_mark_unread;
  std::string lang_main_popup_mark_readall;
  std::string lang_main_popup_mark_unreadall;
  std::string lang_main_popup_mark_green;
  std::string lang_main_popup_mark_blue;
  std::string lang_main_popup_mark_red;
  std::string lang_main_popup_menu_info;
  std::string lang_main_popup_menu_about;
  std::string lang_opt_form_caption;
  std::string lang_opt_label_string_run;
  std::string lang_opt_label_show_icons;
  std::string lang_opt_label_iconintray;
  std::string lang_opt_label_iconunderavatar;
  std::string lang_opt_label_lineincontacts;
  std::string lang_opt_label_showbaloon;
  std::string lang_opt_label_author;
  std::string lang_opt_label_authorval;
  std::string lang_opt_label_version;
  std::string lang_opt_label_versionval;
  std::string lang_opt_label_info;
  std::string lang_opt_label_infoval;
  std::string lang_opt_label_tabspos;
  std::string lang_opt_label_tabstop;
  std::string lang_opt_label_tabsbottom;
  std::string lang_main_list_title;
  std::string lang_main_list_date;
  std::string lang_opt_label_check_new;
  std::string lang_opt_label_font_size;
  std::string lang_opt_label_use_proxy;
  std::string lang_opt_groupbox_proxy_settings;
  std::string lang_opt_groupbox_label_adress;
  std::string lang_opt_groupbox_label_port;
  std::string lang_opt_groupbox_check_auth;
  std::string lang_opt_groupbox_label_user;
  std::string lang_opt_groupbox_label_pass;
  std::string lang_opt_label_list_threads;
  std::string lang_opt_butt_add_thread;
  std::string lang_opt_butt_del_thread;
  std::string lang_opt_butt_opt_thread;
  std::string lang_opt_label_lang_plug;
  std::string lang_opt_butt_clear_cash;
  std::string lang_opt_check_show_button;
  std::string lang_opt_check_logo;
  std::string lang_opt2_form_caption;
  std::string lang_opt2_check_check_new;
  std::string lang_opt_check_accumulateunread;
  std::string lang_opt2_check_dont_load;
  std::string lang_opt2_Check_Double_Tags;
  std::string lang_opt2_label_period;
  std::string lang_opt2_label_divider;
  std::string lang_opt2_label_load_images;
  std::string lang_opt2_label_title;
  std::string lang_opt2_label_text;
  std::string lang_opt2_label_date;
  std::string lang_opt2_label_category;
  std::string lang_opt2_label_feedname;
  std::string lang_opt2_label_feedaddr;
  std::string lang_opt2_check_wide_checknew;
  std::string lang_main_popup_copy_link;
  std::string lang_opt_list_string1;
  std::string lang_opt_list_string2;
  std::string lang_opt_list_string3;
  std::string lang_opt_list_string4;
  std::string lang_opt_list_string5;
  std::string lang_main_popup_tray_opt;
  std::string lang_main_popup_addfeed;
  std::string lang_opt_label_lniconsfeeds;
  std::string lang_opt2_label_showspeccont;
  std::string lang_opt2_label_TabMain;
  std::string lang_opt2_label_TabUpdate;
  std::string lang_opt2_label_TabPlus;
  std::string lang_hint_feed;
  std::string lang_hint_feedaddr;
  std::string lang_hint_lastupd;
  std::string lang_hint_filesize;
  std::string lang_hint_scantime;
  std::string lang_hint_lastscan;
  std::string lang_file_waiting;
  std::string lang_err_http;  // followed by the status code
  std::string lang_err_not_feed;
  std::string lang_err_timed_out;
  std::string lang_opml_import_report;  // "%d" added, then "%d" skipped
  std::string lang_opml_err_not_opml;
  std::string lang_opml_err_encoding;
  std::string lang_opml_err_too_large;
  std::string lang_opml_err_damaged;
  std::string lang_opml_err_export;
  std::string lang_opml_err_read;
  std::string lang_opml_files;          // the file dialogs' filter name
  std::string lang_opml_export_report;  // "%d" feeds written
  std::string lang_opt_import_opml;     // caption of BitBtn7
  std::string lang_opt_export_opml;     // caption of BitBtn8
  std::string lang_opt_found_feed;      // "%s": the feed a page announces
  std::string lang_opt_choose_feed;
  std::string lang_notify_more;         // "%d": titles left out of a notice
  std::string lang_tray_unread;         // "%d": the unread themes, after the tray hint
  std::string opt_check_list_contacts;  // caption of CheckListContacts
  std::string lang_opt_add_title;
  std::string lang_opt_add_address;
  std::string lang_opt_add_name;
  std::string lang_opt_del_title;
  std::string lang_opt_del_text;
  std::string lang_opt_clear_title;
  std::string lang_opt_clear_text;
  std::string lang_opt_clear_error;
  std::string lang_opt2_err_save;
  std::string lang_opt_err_addr_empty;
  std::string lang_opt_err_addr_scheme;
  std::string lang_opt_err_addr_char;
  std::string lang_opt_err_addr_duplicate;  // followed by the name of the feed
  std::string lang_opt_err_port;
  std::string lang_opt_err_call_string;
  std::string lang_opt_err_write;
};

extern TLangTexts Lang;

inline constexpr std::string_view kLangFileSection = "RSS_Reader_Lang_File";
inline constexpr std::string_view kLangFileExtension = ".lng";
// LangList entries 0..2 are the built-in languages; files follow.
inline constexpr int kFirstLangFile = 3;

// The built-in sets write their version value (2.5) with this separator; it is
// the user's locale separator, taken over by every apply_language.
void SetLangDecimalSeparator(char decimalSeparator);

// `text` with its "%d" and "%s" markers replaced by `values` in order. A text
// comes from a language file as anyone wrote it: markers beyond the values
// stay as they are, and nothing else is read as a format.
std::string FillIn(std::string_view text, std::initializer_list<std::string> values);
std::string BuiltinLangVersion(char decimalSeparator);

void set_lang_russian();    // all texts
void set_lang_ukrainian();  // all but lang_opt_label_versionval
void set_lang_english();    // all but lang_opt_label_versionval
void clear_lang_texts();

// Reads the file over the current texts; a missing key keeps its text, except
// the three value keys (author, version, description), which become empty.
// False (nothing changed) when there is no file at `path`. The separator is
// not needed by the file itself: a file's version text is kept as written.
bool load_lang_file(const TFilePath& path, char decimalSeparator);

// "2.5", "2,5", "3" pass; anything below 2.5 or not a number fails.
bool lang_version_ok(std::string_view versionText, char decimalSeparator);

// The three built-in names, then the base names of the "*.lng" files in the
// folder (extension matched without regard to case), sorted by name without
// regard to case.
void fill_language_list(std::vector<std::string>& langList, const TFilePath& pluginFolder);
TFilePath LangFilePath(const TFilePath& pluginFolder, std::string_view langName);

// Russian first so every text has a value, then the selected language;
// an index outside `langList` selects Russian and is stored as 0. Ends by
// re-labelling every registered window.
void apply_language(int& langIndex, const std::vector<std::string>& langList, const TFilePath& pluginFolder,
                    char decimalSeparator);

// The self-description of a language file, for the language preview.
struct TLangFileInfo {
  std::string author;
  std::string version;
  std::string info;
};
std::optional<TLangFileInfo> ReadLangFileInfo(const TFilePath& path);

// The keys in reading order, and the text a key names (exact spelling;
// nullptr for anything else).
const std::vector<std::string_view>& LangKeys();
std::string* LangTextOf(TLangTexts& texts, std::string_view key);

// Windows re-label themselves through their assotiatelanguage; while a window
// holds a hook, apply_language calls it: the reader window first, then the
// options dialog, then the feed settings dialog.
enum class TLangWindow { Reader, Options, FeedSettings, Tray };

class TAssotiateLanguageHook {
 public:
  TAssotiateLanguageHook() = default;
  TAssotiateLanguageHook(TLangWindow window, std::function<void()> assotiatelanguage);
  ~TAssotiateLanguageHook();
  TAssotiateLanguageHook(TAssotiateLanguageHook&& other) noexcept;
  TAssotiateLanguageHook& operator=(TAssotiateLanguageHook&& other) noexcept;
  TAssotiateLanguageHook(const TAssotiateLanguageHook&) = delete;
  TAssotiateLanguageHook& operator=(const TAssotiateLanguageHook&) = delete;

 private:
  std::uint64_t id_ = 0;
};

void CallAssotiateLanguageHooks();

}  // namespace kivo
