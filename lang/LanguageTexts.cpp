#include "lang/LanguageTexts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <exception>
#include <utility>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "lang/LangTemplate.h"
#include "platform/FileIo.h"
#include "platform/IniFile.h"

namespace kivo {

TLangTexts Lang;

namespace {

// One row of the text table. A null language text leaves the Russian one in
// place; the Russian version value is computed from the decimal separator.
struct TLangRow {
  const char* key;  // null for the text that no file can change
  std::string TLangTexts::*text;
  const char* russian;
  const char* ukrainian;
  const char* english;
};

// The texts are UTF-8 here and converted to windows-1251 once.
// clang-format off
#define KIVO_LANG_ROW(name, russian, ukrainian, english) {#name, &TLangTexts::name, russian, ukrainian, english}
const std::array<TLangRow, 125> kRows = {{
    KIVO_LANG_ROW(lang_plug_show, "Открыть RSS плагин",
                  "Відкрити RSS плагін", "Open RSS plugin"),
    KIVO_LANG_ROW(lang_file_loading, "Идет процесс загрузки страницы",
                  "Йде процес завантаження сторінки", "Loading Page..."),
    KIVO_LANG_ROW(lang_file_still_loading, "Поток закачки сейчас запущен. подождите...",
                  "Процес завантаження вже виконується, зачекайте будь ласка", "The download is being processed. Please wait..."),
    KIVO_LANG_ROW(lang_err_load, "Произошла ошибка при загрузке ленты",
                  "Виникла помилка під час завантаження стрічки", "An error occoured while loading the feed"),
    KIVO_LANG_ROW(lang_err_save, "Не удалось сохранить отметки или ленту: папка плагина закрыта для записи или диск полон. Они остаются в памяти, плагин попробует снова",
                  "Не вдалося зберегти позначки або стрічку: тека плагіна закрита для запису або диск заповнений. Вони залишаються в пам'яті, плагін спробує знову",
                  "Could not save the marks or a feed: the plugin folder is read-only or the disk is full. They stay in memory and the plugin will try again"),
    KIVO_LANG_ROW(lang_main_form_caption, "RSS Reader",
                  "RSS Reader", "RSS Reader"),
    KIVO_LANG_ROW(lang_main_popup_html_copy, "Копировать текст",
                  "Копіювати текст", "Copy text"),
    KIVO_LANG_ROW(lang_main_popup_html_find, "Поиск",
                  "Пошук", "Find"),
    KIVO_LANG_ROW(lang_main_popup_html_xstatus, "Xstatus",
                  "Xstatus", "Xstatus"),
    KIVO_LANG_ROW(lang_main_popup_tray_show, "Показать",
                  "Показати", "Show"),
    KIVO_LANG_ROW(lang_main_popup_tray_hide, "Скрыть",
                  "Приховати", "Hide"),
    KIVO_LANG_ROW(lang_main_popup_mark_read, "Пометить как прочитанную",
                  "Позначити як прочитану", "Mark as read"),
    KIVO_LANG_ROW(lang_main_popup_mark_unread, "Пометить как непрочитанную",
                  "Позначити як не прочитану", "Mark as unread"),
    KIVO_LANG_ROW(lang_main_popup_mark_readall, "Пометить все как прочитанные",
                  "Позначити всі як прочитані", "Mark as read all"),
    KIVO_LANG_ROW(lang_main_popup_mark_unreadall, "Пометить все как не прочитанные",
                  "Позначити всі як не прочитані", "Mark as unread all"),
    KIVO_LANG_ROW(lang_main_popup_mark_green, "Пометить тему",
                  "Позначити тему зеленим", "Mark theme"),
    KIVO_LANG_ROW(lang_main_popup_mark_blue, "Пометить тему",
                  "Позначити тему синім", "Mark theme"),
    KIVO_LANG_ROW(lang_main_popup_mark_red, "Пометить тему",
                  "Позначити тему червоним", "Mark theme"),
    KIVO_LANG_ROW(lang_main_popup_menu_info, "Информация",
                  "Інформація", "Info"),
    KIVO_LANG_ROW(lang_main_popup_menu_about, "О программе",
                  "Про програму", "About"),
    KIVO_LANG_ROW(lang_opt_form_caption, "Настройки",
                  "Налаштування", "Options"),
    KIVO_LANG_ROW(lang_opt_label_string_run, "Строка вызова плагина",
                  "Строка виклику плагіну", "Plugin parameters string"),
    KIVO_LANG_ROW(lang_opt_label_show_icons, "Показывать иконки лент",
                  "Відображати іконки стрічок", "Show Feed Icons"),
    KIVO_LANG_ROW(lang_opt_label_iconintray, "Показывать иконку в панели задач",
                  "Відображати іконку в панелі задач", "Show Taskbar Icon"),
    KIVO_LANG_ROW(lang_opt_label_iconunderavatar, "Показывать кнопку под аватаром",
                  "Відображати іконку під аватаром", "Show icon under avatar"),
    KIVO_LANG_ROW(lang_opt_label_lineincontacts, "Показывать строку в списке контактов",
                  "Відображати контакт в контактлисті", "Show line in contactlist"),
    KIVO_LANG_ROW(lang_opt_label_showbaloon, "Всплывающее окошко",
                  "Вспливаюче віконце", "Show baloon"),
    KIVO_LANG_ROW(lang_opt_label_author, "Автор",
                  "Автор", "Author"),
    KIVO_LANG_ROW(lang_opt_label_authorval, "Plugin Author",
                  "Plugin Author", "Plugin Author"),
    KIVO_LANG_ROW(lang_opt_label_version, "Версия",
                  "Версія", "Version"),
    // 2.5 with the user's decimal separator, written by set_lang_russian.
    KIVO_LANG_ROW(lang_opt_label_versionval, nullptr,
                  nullptr, nullptr),
    KIVO_LANG_ROW(lang_opt_label_info, "Информация",
                  "Інформація", "Information"),
    KIVO_LANG_ROW(lang_opt_label_infoval, "Язык по умолчанию",
                  "...", "..."),
    KIVO_LANG_ROW(lang_opt_label_tabspos, "Расположение закладок лент",
                  "Позиція закладок", "Feeds positions"),
    KIVO_LANG_ROW(lang_opt_label_tabstop, "Вверху",
                  "Зверху", "Top"),
    KIVO_LANG_ROW(lang_opt_label_tabsbottom, "Внизу",
                  "Знизу", "Bottom"),
    KIVO_LANG_ROW(lang_main_list_title, "Тема",
                  "Тема", "Title"),
    KIVO_LANG_ROW(lang_main_list_date, "Дата",
                  "Дата", "Date"),
    KIVO_LANG_ROW(lang_opt_label_check_new, "Проверка обновлений лент",
                  "Перевірка оновлення новин", "Check for new Feeds"),
    KIVO_LANG_ROW(lang_opt_label_font_size, "Размер шрифта",
                  "Розмір шрифту", "Font size"),
    KIVO_LANG_ROW(lang_opt_label_use_proxy, "Использовать прокси",
                  "Використовувати проксі сервер", "Use proxy"),
    KIVO_LANG_ROW(lang_opt_groupbox_proxy_settings, "Настройки прокси сервера",
                  "Налаштунки проксі серверу", "Proxy Server Options"),
    KIVO_LANG_ROW(lang_opt_groupbox_label_adress, "Адрес",
                  "Адреса", "Address"),
    KIVO_LANG_ROW(lang_opt_groupbox_label_port, "Порт",
                  "Порт", "Port"),
    KIVO_LANG_ROW(lang_opt_groupbox_check_auth, "Аутентификация",
                  "Аутентифікація", "Authorisation"),
    KIVO_LANG_ROW(lang_opt_groupbox_label_user, "Пользов.",
                  "Користувач", "User"),
    KIVO_LANG_ROW(lang_opt_groupbox_label_pass, "Пароль",
                  "Пароль", "Password"),
    KIVO_LANG_ROW(lang_opt_label_list_threads, "Список лент",
                  "Перелік стрічок", "Feed list"),
    KIVO_LANG_ROW(lang_opt_butt_add_thread, "Добавить",
                  "Додати", "Add"),
    KIVO_LANG_ROW(lang_opt_butt_del_thread, "Удалить",
                  "Видалити", "Delete"),
    KIVO_LANG_ROW(lang_opt_butt_opt_thread, "Настройки",
                  "Налаштунки", "Options"),
    KIVO_LANG_ROW(lang_opt_label_lang_plug, "Язык программы",
                  "Мова програми", "Program language"),
    KIVO_LANG_ROW(lang_opt_butt_clear_cash, "Очистить кеш",
                  "Очистити кеш", "Clear cache"),
    KIVO_LANG_ROW(lang_opt_check_show_button, "Показывать кнопку",
                  "Кнопка", "Show button"),
    KIVO_LANG_ROW(lang_opt_check_logo, "Загружать логотипы лент",
                  "Завантажувати логотипи", "Load logo feeds"),
    KIVO_LANG_ROW(lang_opt2_form_caption, "Настройки ленты",
                  "Налаштунки стрічки", "Feed options"),
    KIVO_LANG_ROW(lang_opt2_check_check_new, "Проверять обновление",
                  "Перевіряти оновлення", "Check for New feeds"),
    KIVO_LANG_ROW(lang_opt_check_accumulateunread, "Накапливать не прочитанные темы",
                  "Накопичувати непрочитанні теми", "Accumulate unread themes"),
    KIVO_LANG_ROW(lang_opt2_check_dont_load, "Не загружать",
                  "Не завантажувати", "Disable download"),
    KIVO_LANG_ROW(lang_opt2_Check_Double_Tags, "Двойная обработка тегов",
                  "Дворазова обробка тегів", "Double processing tags"),
    KIVO_LANG_ROW(lang_opt2_label_period, "Период проверки, минут",
                  "Період перевірки, хвилин", "Refresh Rate, minutes"),
    KIVO_LANG_ROW(lang_opt2_label_divider, "Разделение тем ленты",
                  "Розділення тем стрічки", "Separate feed themes"),
    KIVO_LANG_ROW(lang_opt2_label_load_images, "Загружать картинки",
                  "Завантажувати зображення", "Load images"),
    KIVO_LANG_ROW(lang_opt2_label_title, "Заголовок",
                  "Заголовок", "Title"),
    KIVO_LANG_ROW(lang_opt2_label_text, "Текст",
                  "Текст", "Text"),
    KIVO_LANG_ROW(lang_opt2_label_date, "Дата",
                  "Дата", "Date"),
    KIVO_LANG_ROW(lang_opt2_label_category, "Категория",
                  "Категорія", "Category"),
    KIVO_LANG_ROW(lang_opt2_label_feedname, "Название ленты",
                  "Назва стрічки", "Feed name"),
    KIVO_LANG_ROW(lang_opt2_label_feedaddr, "Адрес ленты",
                  "Адрес стрічки", "Feed address"),
    KIVO_LANG_ROW(lang_opt2_check_wide_checknew, "Альтернативная проверка(!)",
                  "Альтернативна перевірка(!)", "Alternate Check(!)"),
    KIVO_LANG_ROW(lang_main_popup_copy_link, "Копировать ссылку",
                  "Копіювати посилання", "Copy Link"),
    KIVO_LANG_ROW(lang_opt_list_string1, "Общие",
                  "Загальні", "Main"),
    KIVO_LANG_ROW(lang_opt_list_string2, "Список лент",
                  "Список стрічок", "Feed list"),
    KIVO_LANG_ROW(lang_opt_list_string3, "Интерфейс",
                  "Інтерфейс", "Interface"),
    KIVO_LANG_ROW(lang_opt_list_string4, "Прокси",
                  "Проксі", "Proxy"),
    KIVO_LANG_ROW(lang_opt_list_string5, "Дополнительно",
                  "Додатково", "Other"),
    KIVO_LANG_ROW(lang_main_popup_tray_opt, "Настройки",
                  "Налаштування", "Options"),
    KIVO_LANG_ROW(lang_main_popup_addfeed, "Добавить ленту",
                  "Додати стрічку", "Add new feed"),
    KIVO_LANG_ROW(lang_opt_label_lniconsfeeds, "Показывать иконки лент в списке",
                  "Відображати іконки стрічок", "Show feed icons in list"),
    KIVO_LANG_ROW(lang_opt2_label_showspeccont, "Показывать спецконтакт в списке",
                  "Відображати спецконтакт у списку", "Show speccontact in list"),
    KIVO_LANG_ROW(lang_opt2_label_TabMain, "Общие",
                  "Загальні", "Main"),
    KIVO_LANG_ROW(lang_opt2_label_TabUpdate, "Обновление",
                  "Оновлення", "Update"),
    KIVO_LANG_ROW(lang_opt2_label_TabPlus, "Дополнительно",
                  "Додатково", "Other"),
    KIVO_LANG_ROW(lang_hint_feed, "Лента: ",
                  "Стрічка: ", "Feed: "),
    KIVO_LANG_ROW(lang_hint_feedaddr, "Адрес ленты: ",
                  "Адреса стрічки: ", "Feed address: "),
    KIVO_LANG_ROW(lang_hint_lastupd, "Последнее обновление:",
                  "Останнє оновлення:", "Last updated:"),
    KIVO_LANG_ROW(lang_hint_filesize, "Размер файла:",
                  "Розмір файлу:", "File size:"),
    KIVO_LANG_ROW(lang_hint_scantime, "Период проверки (мин):",
                  "Період перевірки (хв):", "Update period (min):"),
    KIVO_LANG_ROW(lang_hint_lastscan, "Время последней проверки:",
                  "Час останньої перевірки:", "Last checked:"),
    KIVO_LANG_ROW(lang_file_waiting, "Ждёт очереди",
                  "Чекає черги", "Waiting"),
    KIVO_LANG_ROW(lang_err_http, "ответ HTTP",
                  "відповідь HTTP", "HTTP"),
    KIVO_LANG_ROW(lang_err_not_feed, "получена не лента",
                  "отримано не стрічку", "not a feed"),
    KIVO_LANG_ROW(lang_err_timed_out, "сервер не ответил вовремя",
                  "сервер не відповів вчасно", "timed out"),
    KIVO_LANG_ROW(lang_opml_import_report, "Добавлено лент: %d, пропущено: %d",
                  "Додано стрічок: %d, пропущено: %d", "%d feeds added, %d skipped"),
    KIVO_LANG_ROW(lang_opml_err_not_opml, "Файл не является списком лент OPML",
                  "Файл не є списком стрічок OPML", "The file is not an OPML feed list"),
    KIVO_LANG_ROW(lang_opml_err_encoding, "Кодировка файла не поддерживается",
                  "Кодування файлу не підтримується", "The file's encoding is not supported"),
    KIVO_LANG_ROW(lang_opml_err_too_large, "Файл слишком велик",
                  "Файл завеликий", "The file is too large"),
    KIVO_LANG_ROW(lang_opml_err_damaged, "Файл поврежден или обрезан",
                  "Файл пошкоджений або обрізаний", "The file is damaged or cut short"),
    KIVO_LANG_ROW(lang_opml_err_export, "Не удалось сохранить файл OPML",
                  "Не вдалося зберегти файл OPML", "Could not save the OPML file"),
    KIVO_LANG_ROW(lang_opml_err_read, "Не удалось прочитать файл",
                  "Не вдалося прочитати файл", "Could not read the file"),
    KIVO_LANG_ROW(lang_opml_files, "Списки лент OPML",
                  "Списки стрічок OPML", "OPML feed lists"),
    KIVO_LANG_ROW(lang_opml_export_report, "Сохранено лент: %d",
                  "Збережено стрічок: %d", "%d feeds saved"),
    KIVO_LANG_ROW(lang_opt_import_opml, "Импорт OPML...",
                  "Імпорт OPML...", "Import OPML..."),
    KIVO_LANG_ROW(lang_opt_export_opml, "Экспорт OPML...",
                  "Експорт OPML...", "Export OPML..."),
    KIVO_LANG_ROW(lang_opt_found_feed, "По этому адресу открывается страница сайта. Она указывает ленту:\r%s\rДобавить эту ленту?",
                  "За цією адресою відкривається сторінка сайту. Вона вказує стрічку:\r%s\rДодати цю стрічку?",
                  "This address opens a web page. It names a feed:\r%s\rAdd that feed?"),
    KIVO_LANG_ROW(lang_opt_choose_feed, "Страница сайта указывает несколько лент. Выберите ленту:",
                  "Сторінка сайту вказує кілька стрічок. Оберіть стрічку:",
                  "The web page names several feeds. Choose one:"),
    KIVO_LANG_ROW(lang_notify_more, "...и ещё лент: %d",
                  "...і ще стрічок: %d", "...and %d more feeds"),
    KIVO_LANG_ROW(lang_tray_unread, "непрочитанных: %d",
                  "непрочитаних: %d", "%d unread"),
    {nullptr, &TLangTexts::opt_check_list_contacts, "Показывать ленты в списке",
     "Відображати стрічки в контактлисті", "Show feeds in contactlist"},
    KIVO_LANG_ROW(lang_opt_add_title, "Добавление адреса",
                  "Додавання адреси", "Adding an address"),
    KIVO_LANG_ROW(lang_opt_add_address, "Введите пожалуйста адрес ссылки",
                  "Введіть, будь ласка, адресу посилання", "Please enter the feed address"),
    KIVO_LANG_ROW(lang_opt_add_name, "Введите пожалуйста название ссылки",
                  "Введіть, будь ласка, назву посилання", "Please enter the feed name"),
    KIVO_LANG_ROW(lang_opt_del_title, "Подтверждение",
                  "Підтвердження", "Confirmation"),
    KIVO_LANG_ROW(lang_opt_del_text, "Вы действительно хотите удалить ссылку?",
                  "Ви дійсно хочете видалити посилання?", "Do you really want to delete the feed?"),
    KIVO_LANG_ROW(lang_opt_clear_title, "подтверждение",
                  "підтвердження", "confirmation"),
    KIVO_LANG_ROW(lang_opt_clear_text,
                  "Внимание! будут удалены все файлы лент, \rкоторые были скачаны с интернета. продолжить?",
                  "Увага! будуть видалені всі файли стрічок, \rякі були завантажені з інтернету. продовжити?",
                  "Warning! every feed file \rdownloaded from the internet will be deleted. Continue?"),
    KIVO_LANG_ROW(lang_opt_clear_error, "произошла ошибка при очистке кеша",
                  "сталася помилка під час очищення кешу", "the cache could not be cleared"),
    KIVO_LANG_ROW(lang_opt2_err_save, "Ошибка сохранения настроек ленты",
                  "Помилка збереження налаштувань стрічки", "The feed settings could not be saved"),
    KIVO_LANG_ROW(lang_opt_err_addr_empty, "Адрес ленты пуст.",
                  "Адреса стрічки порожня.", "The feed address is empty."),
    KIVO_LANG_ROW(lang_opt_err_addr_scheme, "Адрес ленты должен начинаться с http:// или https://.",
                  "Адреса стрічки має починатися з http:// або https://.",
                  "The feed address must start with http:// or https://."),
    KIVO_LANG_ROW(lang_opt_err_addr_char, "Адрес ленты не может содержать \"|\" и управляющие символы.",
                  "Адреса стрічки не може містити \"|\" та керуючі символи.",
                  "The feed address cannot hold \"|\" or control characters."),
    KIVO_LANG_ROW(lang_opt_err_addr_duplicate, "Эта лента уже есть в списке: ",
                  "Ця стрічка вже є в списку: ", "This feed is already in the list: "),
    KIVO_LANG_ROW(lang_opt_err_port, "Порт прокси должен быть числом от 1 до 65535.",
                  "Порт проксі має бути числом від 1 до 65535.",
                  "The proxy port must be a number from 1 to 65535."),
    KIVO_LANG_ROW(lang_opt_err_call_string, "Строка вызова плагина не может быть пустой.",
                  "Рядок виклику плагіна не може бути порожнім.", "The plugin call string cannot be empty."),
    KIVO_LANG_ROW(lang_opt_err_write,
                  "Не удалось записать настройки: папка плагина закрыта для записи или диск полон.",
                  "Не вдалося записати налаштування: тека плагіна закрита для запису або диск заповнений.",
                  "The settings could not be written: the plugin folder is read-only or the disk is full."),
}};
// clang-format on
#undef KIVO_LANG_ROW

enum TBuiltinLang { kRussian, kUkrainian, kEnglish };

using TBuiltinSet = std::array<std::optional<std::string>, kRows.size()>;

const char* RowText(const TLangRow& row, TBuiltinLang language) {
  switch (language) {
    case kRussian:
      return row.russian;
    case kUkrainian:
      return row.ukrainian;
    case kEnglish:
      return row.english;
  }
  return nullptr;
}

TBuiltinSet ConvertSet(TBuiltinLang language) {
  TBuiltinSet texts;
  for (size_t i = 0; i < kRows.size(); ++i) {
    if (const char* text = RowText(kRows[i], language)) texts[i] = Utf8ToWinOrKeep(text);
  }
  return texts;
}

const TBuiltinSet& BuiltinSet(TBuiltinLang language) {
  static const std::array<TBuiltinSet, 3> sets = {ConvertSet(kRussian), ConvertSet(kUkrainian),
                                                  ConvertSet(kEnglish)};
  return sets[language];
}

void AssignSet(TBuiltinLang language) {
  const TBuiltinSet& texts = BuiltinSet(language);
  for (size_t i = 0; i < kRows.size(); ++i) {
    if (texts[i]) Lang.*kRows[i].text = *texts[i];
  }
}

char currentDecimalSeparator = '.';

bool IsValueKey(std::string_view key) {
  return key == "lang_opt_label_authorval" || key == "lang_opt_label_versionval" ||
         key == "lang_opt_label_infoval";
}

// Blanks around the number are allowed, as the platform's float conversion does.
std::optional<double> ParseDecimal(std::string_view text, char decimalSeparator) {
  std::string normal(Trim(text));
  for (char& c : normal) {
    if (c == decimalSeparator) c = '.';
  }
  size_t start = 0;
  if (!normal.empty() && (normal[0] == '+' || normal[0] == '-')) start = 1;
  // from_chars would also take "inf" and "nan", which are not numbers here.
  if (start >= normal.size() ||
      !(std::isdigit(static_cast<unsigned char>(normal[start])) || normal[start] == '.'))
    return std::nullopt;
  double value = 0;
  const char* first = normal.data() + start;
  const char* last = normal.data() + normal.size();
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || end != last) return std::nullopt;
  return normal[0] == '-' ? -value : value;
}

bool HasLangExtension(std::string_view name) {
  return name.size() >= kLangFileExtension.size() &&
         SameText1251(name.substr(name.size() - kLangFileExtension.size()), kLangFileExtension);
}

// Base names of the language files in windows-1251; a file whose name has
// characters that windows-1251 lacks could not be opened again by its listed
// name, so it is left out.
std::vector<std::string> ListLangFiles(const TFilePath& pluginFolder) {
  std::vector<std::string> names;
  for (const TFilePath& file : ListFiles(pluginFolder)) {
    if (!FitsIn1251(file)) continue;
    const std::string name = PathTo1251(file);
    if (!HasLangExtension(name)) continue;
    const std::string base = name.substr(0, name.rfind('.'));
    if (!base.empty()) names.push_back(base);
  }
  return names;
}

void SortWithoutCase(std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(LowerCase1251(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  names.clear();
  for (auto& [lowered, name] : keyed) names.push_back(std::move(name));
}

// The hook registry, kept in TLangWindow order, registration order within.
struct THookSlot {
  std::uint64_t id;
  TLangWindow window;
  std::function<void()> callback;
};

std::vector<THookSlot>& HookSlots() {
  static std::vector<THookSlot> slots;
  return slots;
}

std::uint64_t nextHookId = 1;

std::uint64_t RegisterHook(TLangWindow window, std::function<void()> callback) {
  auto& slots = HookSlots();
  const auto position =
      std::upper_bound(slots.begin(), slots.end(), window,
                       [](TLangWindow w, const THookSlot& slot) { return w < slot.window; });
  const std::uint64_t id = nextHookId++;
  slots.insert(position, THookSlot{id, window, std::move(callback)});
  return id;
}

void UnregisterHook(std::uint64_t id) {
  if (id == 0) return;
  std::erase_if(HookSlots(), [id](const THookSlot& slot) { return slot.id == id; });
}

}  // namespace

std::string FillIn(std::string_view text, std::initializer_list<std::string> values) {
  std::string out;
  auto value = values.begin();
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t marker = text.find('%', pos);
    const bool fits = marker != std::string_view::npos && marker + 1 < text.size() &&
                      (text[marker + 1] == 'd' || text[marker + 1] == 's') && value != values.end();
    if (!fits) {
      const std::size_t end = marker == std::string_view::npos ? text.size() : marker + 1;
      out.append(text.substr(pos, end - pos));
      pos = end;
      continue;
    }
    out.append(text.substr(pos, marker - pos)).append(*value++);
    pos = marker + 2;
  }
  return out;
}

void SetLangDecimalSeparator(char decimalSeparator) {
  currentDecimalSeparator = decimalSeparator;
}

std::string BuiltinLangVersion(char decimalSeparator) {
  return std::string("2") + decimalSeparator + "5";
}

void set_lang_russian() {
  AssignSet(kRussian);
  Lang.lang_opt_label_versionval = BuiltinLangVersion(currentDecimalSeparator);
}

void set_lang_ukrainian() {
  AssignSet(kUkrainian);
}

void set_lang_english() {
  AssignSet(kEnglish);
}

void clear_lang_texts() {
  Lang = TLangTexts{};
}

bool load_lang_file(const TFilePath& path, char /*decimalSeparator*/) {
  if (!FileExists(path)) return false;
  const TIniFile ini(path);
  for (const TLangRow& row : kRows) {
    if (row.key == nullptr) continue;
    std::string& text = Lang.*row.text;
    if (ini.ValueExists(kLangFileSection, row.key)) {
      text = DecodeLangValue(ini.ReadString(kLangFileSection, row.key, std::string()));
    } else if (IsValueKey(row.key)) {
      text.clear();
    }
  }
  return true;
}

bool lang_version_ok(std::string_view versionText, char decimalSeparator) {
  std::string text(versionText);
  for (char& c : text) {
    if (c == '.' || c == ',') c = decimalSeparator;
  }
  return ParseDecimal(text, decimalSeparator).value_or(0.0) >= 2.5;
}

void fill_language_list(std::vector<std::string>& langList, const TFilePath& pluginFolder) {
  langList.clear();
  langList.push_back(Utf8ToWinOrKeep("Русский"));
  langList.push_back(Utf8ToWinOrKeep("Українська"));
  langList.push_back("English");
  std::vector<std::string> files = ListLangFiles(pluginFolder);
  SortWithoutCase(files);
  for (std::string& name : files) langList.push_back(std::move(name));
}

TFilePath LangFilePath(const TFilePath& pluginFolder, std::string_view langName) {
  return pluginFolder / PathFrom1251(std::string(langName) + std::string(kLangFileExtension));
}

void apply_language(int& langIndex, const std::vector<std::string>& langList, const TFilePath& pluginFolder,
                    char decimalSeparator) {
  SetLangDecimalSeparator(decimalSeparator);
  set_lang_russian();
  if (langIndex < 0 || static_cast<size_t>(langIndex) >= langList.size()) langIndex = 0;
  switch (langIndex) {
    case 0:
      set_lang_russian();
      break;
    case 1:
      set_lang_ukrainian();
      break;
    case 2:
      set_lang_english();
      break;
    default:
      load_lang_file(LangFilePath(pluginFolder, langList[static_cast<size_t>(langIndex)]), decimalSeparator);
      break;
  }
  CallAssotiateLanguageHooks();
}

std::optional<TLangFileInfo> ReadLangFileInfo(const TFilePath& path) {
  if (!FileExists(path)) return std::nullopt;
  const TIniFile ini(path);
  return TLangFileInfo{ini.ReadString(kLangFileSection, "lang_opt_label_authorval", ""),
                       ini.ReadString(kLangFileSection, "lang_opt_label_versionval", ""),
                       ini.ReadString(kLangFileSection, "lang_opt_label_infoval", "")};
}

const std::vector<std::string_view>& LangKeys() {
  static const std::vector<std::string_view> keys = [] {
    std::vector<std::string_view> all;
    for (const TLangRow& row : kRows) {
      if (row.key != nullptr) all.emplace_back(row.key);
    }
    return all;
  }();
  return keys;
}

std::string* LangTextOf(TLangTexts& texts, std::string_view key) {
  for (const TLangRow& row : kRows) {
    if (row.key != nullptr && key == row.key) return &(texts.*row.text);
  }
  return nullptr;
}

TAssotiateLanguageHook::TAssotiateLanguageHook(TLangWindow window, std::function<void()> assotiatelanguage)
    : id_(RegisterHook(window, std::move(assotiatelanguage))) {}

TAssotiateLanguageHook::~TAssotiateLanguageHook() {
  UnregisterHook(id_);
}

TAssotiateLanguageHook::TAssotiateLanguageHook(TAssotiateLanguageHook&& other) noexcept
    : id_(std::exchange(other.id_, 0)) {}

TAssotiateLanguageHook& TAssotiateLanguageHook::operator=(TAssotiateLanguageHook&& other) noexcept {
  if (this != &other) {
    UnregisterHook(id_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

// A window may drop its own or another hook while re-labelling: each id is
// looked up again just before its call, and the callback runs from a copy.
void CallAssotiateLanguageHooks() {
  std::vector<std::uint64_t> ids;
  for (const THookSlot& slot : HookSlots()) ids.push_back(slot.id);
  for (const std::uint64_t id : ids) {
    const auto& slots = HookSlots();
    const auto found =
        std::find_if(slots.begin(), slots.end(), [id](const THookSlot& slot) { return slot.id == id; });
    if (found == slots.end() || !found->callback) continue;
    const std::function<void()> callback = found->callback;
    callback();
  }
}

}  // namespace kivo
