#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "lang/LanguageTexts.h"
#include "options/DialogControls.h"
#include "options/OptionsController.h"
#include "options/win32/FormOptions.h"
#include "options/win32/FormOptions2.h"

namespace kivo {
namespace {

class FakeOptionsHost final : public IOptionsHost {
 public:
  TOptionsDraft MakeOptionsDraft() override { return {}; }
  bool ApplyOptions(const TOptionsDraft&) override { return true; }
  TFilePath PluginFolder() const override { return L"C:\\KivoRss"; }
  char DecimalSeparator() const override { return '.'; }
  std::size_t CacheFolderLength() const override { return 18; }
};

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

class OptionsDialogView : public ::testing::Test {
 protected:
  OptionsDialogView() { set_lang_russian(); }
  ~OptionsDialogView() override {
    options_.SetController(nullptr);
    clear_lang_texts();
  }
  FakeOptionsHost host_;
  TFormOptions options_;
  TFormOptions2 feedSettings_;
  TOptionsController controller_{options_, feedSettings_, host_};
};

// The host emulator finds every control by its name: a missing or differently
// made control leaves a script clicking nothing.
TEST_F(OptionsDialogView, EveryNamedControlExistsWithItsClass) {
  const std::pair<const char*, const wchar_t*> controls[] = {
      {"CheckLogo", L"Button"},  {"CheckListContacts", L"Button"}, {"CheckBaloon", L"Button"},
      {"ListBox1", L"ListBox"},  {"ComboBox1", L"ComboBox"},       {"Label5", L"Static"},
      {"Label12", L"Static"},    {"RadioGroup1", L"Button"},       {"SpinFontSize", L"Edit"},
      {"CheckProxy", L"Button"}, {"EditProxy", L"Edit"},           {"EditPort", L"Edit"},
      {"CheckAuth", L"Button"},  {"Label10", L"Static"},           {"EditPass", L"Edit"},
      {"Edit1", L"Edit"},        {"ListBox2", L"ListBox"},         {"BitBtn1", L"Button"},
      {"BitBtn2", L"Button"},    {"BitBtn4", L"Button"},           {"BitBtn5", L"Button"},
      {"BitBtn6", L"Button"},    {"BitBtn7", L"Button"},           {"BitBtn8", L"Button"}};
  for (const auto& [name, expected] : controls) {
    const auto id = OptionsControlIdByName(name);
    ASSERT_TRUE(id) << name;
    EXPECT_STREQ(ClassOf(GetDlgItem(options_.Handle(), *id)).c_str(), expected) << name;
  }
  const std::pair<const char*, const wchar_t*> feedControls[] = {{"EditChName", L"Edit"},
                                                                 {"EditchUrl", L"Edit"},
                                                                 {"CheckSpecContact", L"Button"},
                                                                 {"CheckExtCheck", L"Button"},
                                                                 {"SpinPeriod", L"Edit"},
                                                                 {"EditCategory", L"Edit"},
                                                                 {"PageControl1", L"SysTabControl32"},
                                                                 {"BitBtn1", L"Button"},
                                                                 {"BitBtn2", L"Button"}};
  for (const auto& [name, expected] : feedControls) {
    const auto id = FeedSettingsControlIdByName(name);
    ASSERT_TRUE(id) << name;
    EXPECT_STREQ(ClassOf(GetDlgItem(feedSettings_.Handle(), *id)).c_str(), expected) << name;
  }
}

TEST_F(OptionsDialogView, ClickOnCheckProxyReachesTheProxyRule) {
  options_.SetController(&controller_);
  controller_.Open();
  HWND editProxy = GetDlgItem(options_.Handle(), *OptionsControlIdByName("EditProxy"));
  ASSERT_FALSE(IsWindowEnabled(editProxy));
  SendMessageW(GetDlgItem(options_.Handle(), *OptionsControlIdByName("CheckProxy")), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(editProxy));
  ASSERT_NE(controller_.Draft(), nullptr);
  EXPECT_TRUE(controller_.Draft()->Globals.UseProxy);
  controller_.Close();
}

}  // namespace
}  // namespace kivo
