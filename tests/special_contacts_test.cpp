// The special contacts and the X-status dialog, over a fake host, reader and
// painter: identifiers, modes, drawing positions and the dialog's rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/Text1251.h"
#include "lang/LanguageTexts.h"
#include "plugin/PluginInfo.h"
#include "plugin/SpecialContacts.h"
#include "plugin/XStatus.h"

namespace kivo {
namespace {

struct DrawnText {
  int x;
  int y;
  bool bold;
  TColor color;
  std::string text;  // windows-1251
};

class RecordingPainter final : public IContactPainter {
 public:
  RecordingPainter(std::vector<DrawnText>& texts, std::vector<TRect>& images)
      : texts_(texts), images_(images) {}
  void FillRect(const TRect& rect, TColor) override { images_.push_back(rect); }
  void FrameRect(const TRect&, TColor) override {}
  void DrawText(int x, int y, const TFontSpec& font, TColor color, std::u16string_view text) override {
    texts_.push_back({x, y, font.Bold, color, Utf16ToWin(text)});
  }
  void DrawImage(const TRect& rect, const TBitmap32&, std::uint64_t) override { images_.push_back(rect); }
  int TextWidth(const TFontSpec&, std::u16string_view text) override {
    return 7 * static_cast<int>(text.size());
  }
  int LineHeight(const TFontSpec&) override { return 13; }
  int Ascent(const TFontSpec&) override { return 10; }

 private:
  std::vector<DrawnText>& texts_;
  std::vector<TRect>& images_;
};

class FakeReader final : public IReaderWindow {
 public:
  void SetLogoVisible(bool) override {}
  void settabsposition(int) override {}
  void SetCheckNewTimerEnabled(bool) override {}
  TRect GetPlacement() const override { return {}; }
  void SetPlacement(const TRect&) override {}
  void ClearFeedMenu() override {}
  void ClearTabs() override {}
  void ClearFeedIcons() override {}
  void AddFeedMenuItem(const std::string&, const std::string&, int) override {}
  void AddTab(const std::string&) override {}
  void LoadIconOfSite(int, const TFilePath&) override {}
  void check_new_grid_count(int) override {}
  bool Visible() const override { return visible; }
  void SetVisible(bool value) override { visible = value; }
  void TabControl1Change() override {}
  void TrIconDblClick() override { visible = !visible; }
  void ToolOptionsClick() override {}
  void PopupMenu1At(int, int) override {}
  void ShowOnFeed(int feed) override {
    visible = true;
    shown = feed;
  }
  const TBitmap32* FeedIcon(int) const override { return &icon; }
  const TBitmap32* WindowPicture(int) const override { return &icon; }
  int ShownFeed() const override { return shown; }
  void SelectFeed(int feed) override { shown = feed; }
  std::optional<int> PopupSpecContactsAt(const std::vector<TMenuEntry>& items, int x, int y) override {
    menu = items;
    menuAt = {x, y};
    return choice;
  }

  bool visible = false;
  int shown = 0;
  TBitmap32 icon{16, 16, std::vector<std::uint32_t>(256, 0xFF000000)};
  std::vector<TMenuEntry> menu;
  std::pair<int, int> menuAt;
  std::optional<int> choice;
};

// The host keeps the contacts it gave out; removing one it does not know fails.
class ContactsTest : public ::testing::Test, public IContactsSite {
 protected:
  void SetUp() override {
    set_lang_english();
    for (std::uint32_t& color : hostColors) color = 0x00F0F0F0;
    hostColors[8] = 0x00000000;
    hostColors[9] = 0x000000C0;  // red, as the host writes it (0x00BBGGRR)
    hostColors[21] = 0x00602000;
  }

  void SendToHost(TPluginMessage& message) override {
    sent.push_back(message.Code);
    switch (message.Code) {
      case PM_CONTACT_ADD:
        message.Result = nextId;
        hostContacts.push_back(static_cast<std::int32_t>(nextId++));
        break;
      case PM_CONTACT_REMOVE: {
        const auto found =
            std::find(hostContacts.begin(), hostContacts.end(), static_cast<std::int32_t>(message.WParam));
        message.Result = found == hostContacts.end() ? 1 : 0;
        if (found != hostContacts.end()) hostContacts.erase(found);
        break;
      }
      case PM_CONTACT_REDRAW:
        redrawn.push_back(static_cast<std::int32_t>(message.WParam));
        break;
      case PM_GET_COLORS:
        message.WParam = reinterpret_cast<TPluginWord>(u"Arial");
        message.LParam = 9;
        message.XParam = reinterpret_cast<TPluginWord>(hostColors.data());
        break;
      default:
        break;
    }
  }
  const TPluginGlobals& ContactSettings() const override { return globals; }
  const TRSS* ContactFeeds() const override { return &rss; }
  IReaderWindow* ContactReader() override { return readerExists ? &reader : nullptr; }
  bool OptionsVisible() const override { return optionsVisible; }
  void OpenOptions() override { actions.push_back("options"); }
  void AddNewFeedProc() override { actions.push_back("add feed"); }
  std::unique_ptr<IContactPainter> PainterOn(TPluginWord) override {
    return std::make_unique<RecordingPainter>(texts, images);
  }
  const TBitmap32* PluginIcon() const override { return &reader.icon; }
  const ILocaleFormats& ContactLocale() const override { return locale; }

  void AddFeed(const std::string& title, bool shown, int themes = 0) {
    tchannels& feed = rss.Channels.emplace_back();
    feed.Title = title;
    feed.ShowSpecContact = shown;
    feed.Items.resize(static_cast<std::size_t>(themes));
  }
  // As the settings load does.
  void Load() {
    contacts.setcount(static_cast<int>(rss.Channels.size()));
    contacts.AddSpecialContacts();
  }
  TPluginMessage Send(TPluginWord code, TPluginWord id) {
    const std::array<std::int32_t, 4> rect = {10, 100, 210, 120};
    const std::array<std::int32_t, 2> point = {300, 400};
    TPluginMessage message{code,
                           id,
                           code == PM_CONTACT_MENU ? reinterpret_cast<TPluginWord>(point.data()) : 0x7,
                           reinterpret_cast<TPluginWord>(rect.data()),
                           0,
                           0};
    texts.clear();
    images.clear();
    contacts.OnHostMessage(message);
    return message;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const DrawnText& text : texts) out.push_back(text.text);
    return out;
  }

  TPluginGlobals globals;
  TRSS rss;
  FakeReader reader;
  bool readerExists = true;
  bool optionsVisible = false;
  TFixedLocaleFormats locale;
  std::array<std::uint32_t, kHostColorCount> hostColors{};
  std::vector<TPluginWord> sent;
  std::vector<std::int32_t> hostContacts;
  std::vector<std::int32_t> redrawn;
  TPluginWord nextId = 501;
  std::vector<DrawnText> texts;
  std::vector<TRect> images;
  std::vector<std::string> actions;
  std::int32_t singleId = 0;
  TSpecialContacts contacts{*this, singleId};
};

TEST_F(ContactsTest, PerFeedModeAddsShownFeedsAndRemovesThemInTheModeTheyWereAddedIn) {
  globals.ShowListContacts = true;
  AddFeed("A", true);
  AddFeed("Hidden", false);
  AddFeed("C", true);
  Load();
  EXPECT_EQ(hostContacts, (std::vector<std::int32_t>{501, 502}));
  EXPECT_EQ(contacts.Entry(1).Id, 0);
  EXPECT_FALSE(contacts.Entry(1).Shown);
  EXPECT_EQ(contacts.Entry(2).Name, "C");

  globals.ShowListContacts = false;  // the options switched the mode; their OK removes the old contacts
  sent.clear();
  contacts.RemoveSpecialContacts();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), PM_CONTACT_REMOVE), 2) << "nothing for the hidden feed";
  EXPECT_TRUE(hostContacts.empty());
  EXPECT_EQ(contacts.Entry(2).Id, 0);
}

TEST_F(ContactsTest, SingleContactIsAddedOnceAndKeptWhenTheHostRefusesItsRemoval) {
  Load();
  Load();
  EXPECT_EQ(hostContacts, (std::vector<std::int32_t>{501}));
  EXPECT_EQ(singleId, 501);
  hostContacts.clear();  // the host lost it: removing fails
  contacts.RemoveSpecialContacts();
  EXPECT_EQ(singleId, 501);
  hostContacts.push_back(501);
  contacts.RemoveSpecialContacts();
  EXPECT_EQ(singleId, 0);
}

// Entries of feeds without a contact have identifier 0: a message for 0 was
// taken as theirs, drawing them, toggling the reader, opening their menu.
TEST_F(ContactsTest, IdentifierZeroBelongsToNoContactButASingleModeDoubleClickToggles) {
  globals.ShowListContacts = true;
  AddFeed("Hidden", false);
  AddFeed("Shown", true);
  Load();
  for (const TPluginWord code :
       {PM_CONTACT_DRAW, PM_CONTACT_HINT_DRAW, PM_CONTACT_MENU, PM_CONTACT_DBLCLICK}) {
    Send(code, 0);
    EXPECT_TRUE(texts.empty() && images.empty()) << code;
  }
  EXPECT_FALSE(reader.visible);
  EXPECT_TRUE(reader.menu.empty());
  Send(PM_CONTACT_DBLCLICK, 777);
  EXPECT_FALSE(reader.visible) << "an identifier we never got";

  globals.ShowListContacts = false;
  Send(PM_CONTACT_DRAW, 0);
  EXPECT_TRUE(texts.empty()) << "single mode before its contact was added";
  Send(PM_CONTACT_DBLCLICK, 0);
  EXPECT_TRUE(reader.visible) << "single mode toggles whatever the identifier";
}

TEST_F(ContactsTest, HintSizeIsAnsweredForEveryIdentifierInBothModesEvenWithoutAReader) {
  readerExists = false;
  for (const bool perFeed : {false, true}) {
    globals.ShowListContacts = perFeed;
    for (const TPluginWord id : {TPluginWord{0}, TPluginWord{999}}) {
      const TPluginMessage answer = Send(PM_CONTACT_HINT_SIZE, id);
      EXPECT_EQ(answer.LParam, perFeed ? 270u : 150u);
      EXPECT_EQ(answer.XParam, perFeed ? 150u : 25u);
    }
  }
}

TEST_F(ContactsTest, FeedContactShowsItsCountsInTheHostColoursWithIconAndNewMark) {
  globals.ShowListContacts = true;
  AddFeed("News", true);
  Load();
  contacts.SetCounts(0, 12, 40);
  Send(PM_CONTACT_DRAW, 501);
  ASSERT_EQ(Texts(), (std::vector<std::string>{"News (", "12", "/40)"}));
  EXPECT_EQ(texts[0].x, 10 + 24);
  EXPECT_EQ(texts[0].y, 101);
  EXPECT_EQ(texts[1].x, 34 + 7 * 6) << "the count follows the name";
  EXPECT_EQ(texts[2].x, 76 + 7 * 2);
  EXPECT_EQ(texts[0].color, 0x000000u);
  EXPECT_EQ(texts[1].color, 0xC00000u) << "the host's colour 9, turned from 0x00BBGGRR";
  EXPECT_TRUE(texts[1].bold && !texts[0].bold && !texts[2].bold);
  EXPECT_EQ(images, (std::vector<TRect>{{15, 100, 31, 116}, {193, 101, 209, 117}}))
      << "plugin icon, feed icon";

  globals.ShowContactsIcons = false;
  contacts.SetContactNew(0, true);
  Send(PM_CONTACT_DRAW, 501);
  EXPECT_EQ(images, (std::vector<TRect>{{15, 100, 31, 116}, {15, 101, 31, 117}})) << "new mark over the icon";

  globals.ShowListContacts = false;
  singleId = 501;
  Send(PM_CONTACT_DRAW, 501);
  EXPECT_EQ(Texts(), std::vector<std::string>{Lang.lang_main_form_caption});
}

TEST_F(ContactsTest, RedrawIsAskedOnlyForAShownContactAndOnlyWhenItsCountsChange) {
  globals.ShowListContacts = true;
  AddFeed("A", true);
  AddFeed("Hidden", false);
  Load();
  contacts.SetCounts(0, 3, 5);
  contacts.SetCounts(0, 3, 5);
  contacts.SetCounts(1, 1, 1);
  contacts.SetContactNew(1, true);
  contacts.SetContactNew(5, true);
  contacts.SetContactNew(0, true);
  EXPECT_EQ(redrawn, (std::vector<std::int32_t>{501, 501}));
}

TEST_F(ContactsTest, FeedHintShowsCountsSizeAndTheCheckRowsOnlyForAWatchedFeed) {
  globals.ShowListContacts = true;
  AddFeed("Empty", true);
  Load();
  tchannels& feed = rss.Channels[0];
  feed.NetFileSize = 1500;
  feed.NewCount = 0;
  Send(PM_CONTACT_HINT_DRAW, 501);
  std::vector<std::string> shown = Texts();
  EXPECT_EQ(shown.at(2), "0") << "the item count of a feed without themes";
  EXPECT_NE(std::find(shown.begin(), shown.end(), "1.5 Kb"), shown.end());
  EXPECT_EQ(std::find(shown.begin(), shown.end(), Lang.lang_hint_scantime), shown.end());
  const auto size =
      std::find_if(texts.begin(), texts.end(), [](const DrawnText& t) { return t.text == "1.5 Kb"; });
  EXPECT_EQ(std::make_pair(size->x, size->y), std::make_pair(160, 200));

  feed.CheckUpdates = true;
  feed.CheckNewPeriod = 45;
  Send(PM_CONTACT_HINT_DRAW, 501);
  shown = Texts();
  EXPECT_NE(std::find(shown.begin(), shown.end(), Lang.lang_hint_scantime), shown.end());
  EXPECT_NE(std::find(shown.begin(), shown.end(), "45"), shown.end());
}

TEST_F(ContactsTest, DoubleClickShowsTheFeedSwitchesToItOrHidesTheWindowShowingIt) {
  globals.ShowListContacts = true;
  AddFeed("A", true);
  AddFeed("B", true);
  Load();
  Send(PM_CONTACT_DBLCLICK, 502);
  EXPECT_TRUE(reader.visible);
  EXPECT_EQ(reader.shown, 1);
  Send(PM_CONTACT_DBLCLICK, 501);
  EXPECT_TRUE(reader.visible) << "another feed's contact switches, it does not hide";
  EXPECT_EQ(reader.shown, 0);
  Send(PM_CONTACT_DBLCLICK, 501);
  EXPECT_FALSE(reader.visible);
}

TEST_F(ContactsTest, MenuOffersFeedsInSingleModeAndAddingAFeedOnlyWhileTheOptionsAreClosed) {
  AddFeed("A", true);
  AddFeed("B", true);
  Load();
  reader.choice = 1;
  Send(PM_CONTACT_MENU, 501);
  ASSERT_EQ(reader.menu.size(), 6u);
  EXPECT_EQ(reader.menu[1].Tag, 1);
  EXPECT_TRUE(reader.menu[2].Separator);
  EXPECT_EQ(reader.menu[3].Tag, -1);
  EXPECT_EQ(reader.menu[5].Tag, -2);
  EXPECT_EQ(reader.menuAt, std::make_pair(300, 400));
  EXPECT_EQ(reader.shown, 1);

  globals.ShowListContacts = true;
  contacts.RemoveSpecialContacts();
  Load();
  optionsVisible = true;
  reader.choice = -1;
  Send(PM_CONTACT_MENU, 503);
  ASSERT_EQ(reader.menu.size(), 2u) << "no feeds, no add-feed item";
  optionsVisible = false;
  reader.choice = -2;
  Send(PM_CONTACT_MENU, 503);
  EXPECT_EQ(actions, (std::vector<std::string>{"options", "add feed"}));
  reader.menu.clear();
  Send(PM_CONTACT_MENU, 501);
  EXPECT_TRUE(reader.menu.empty()) << "the single contact's identifier is gone in per-feed mode";
}

class FakeXStatusView final : public IXStatusView {
 public:
  void SetController(TXStatusController*) override {}
  bool Visible() const override { return visible; }
  void SetVisible(bool value) override { visible = value; }
  void SetNumbers(const std::vector<std::u16string>& entries) override { numbers = entries; }
  void SelectNumber(int index) override { selected = index; }
  int SelectedNumber() const override { return selected; }
  void MarkNumberInvalid() override { marked = true; }
  void SetTitle(const std::u16string& value) override { title = value; }
  std::u16string Title() const override { return title; }
  void SetText(const std::u16string& value) override { text = value; }
  std::vector<std::u16string> TextLines() const override { return lines; }
  void BringToFront() override { ++fronted; }

  bool visible = false;
  std::vector<std::u16string> numbers;
  int selected = 0;
  bool marked = false;
  std::u16string title;
  std::u16string text;
  std::vector<std::u16string> lines;
  int fronted = 0;
};

class FakeXStatusHost final : public IXStatusHost {
 public:
  txstatusstring GetXStatus() override { return current; }
  void SetXStatus(const txstatusstring& status) override { set.push_back(status); }
  std::u16string ReaderStatusText() override { return page; }

  txstatusstring current{7, u"A title of thirty characters!!", u"old"};
  std::u16string page;
  std::vector<txstatusstring> set;
};

TEST(XStatusDialog, ShowsTheCurrentStatusCutAndTheReadersTextAndComesToTheFrontWhenOpen) {
  FakeXStatusView view;
  FakeXStatusHost host;
  host.page = std::u16string(499, u'x') + u"\U0001F600";  // a pair across the 500th unit
  TXStatusController dialog(view, host);
  dialog.Open();
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.numbers.size(), 35u);
  EXPECT_EQ(view.numbers.back(), u"34");
  EXPECT_EQ(view.title, u"A title of thirty ch");
  EXPECT_EQ(view.text, std::u16string(499, u'x')) << "never half a surrogate pair";
  EXPECT_EQ(view.selected, 7);

  view.text = u"edited";
  dialog.Open();
  EXPECT_EQ(view.fronted, 1);
  EXPECT_EQ(view.text, u"edited") << "an open dialog keeps what the user typed";
}

TEST(XStatusDialog, OkSendsOnlyAStatusOfOneOrMoreAndEscapeClosesWithoutSending) {
  FakeXStatusView view;
  FakeXStatusHost host;
  TXStatusController dialog(view, host);
  dialog.Open();
  view.selected = 0;
  dialog.BitBtn1Click();
  EXPECT_TRUE(host.set.empty());
  EXPECT_TRUE(view.visible);
  EXPECT_FALSE(view.marked);
  view.selected = -1;  // a typed number that names no entry
  dialog.BitBtn1Click();
  EXPECT_TRUE(host.set.empty());
  EXPECT_TRUE(view.visible && view.marked);

  view.selected = 12;
  view.title = u"Reading";
  view.lines = {u"first", u"second"};
  dialog.BitBtn1Click();
  ASSERT_EQ(host.set.size(), 1u);
  EXPECT_EQ(host.set[0].Index, 12);
  EXPECT_EQ(host.set[0].Text, u"first\r\nsecond\r\n");
  EXPECT_FALSE(view.visible);

  dialog.Open();
  dialog.FormKeyPress(u'a');
  EXPECT_TRUE(view.visible);
  dialog.FormKeyPress(27);
  EXPECT_FALSE(view.visible);
  EXPECT_EQ(host.set.size(), 1u);
}

}  // namespace
}  // namespace kivo
