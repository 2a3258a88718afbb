#include <gtest/gtest.h>
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/ThisModule.h"
#include "ui/win32/Clipboard.h"
#include "ui/win32/Control.h"
#include "ui/win32/WindowBase.h"
#include "ui/win32/WindowClass.h"

namespace kivo {
namespace {

constexpr LRESULT kParentAnswer = 7;
constexpr LRESULT kChildAnswer = 42;
constexpr UINT kThrowMessage = WM_APP + 1;

bool ClassRegistered(const wchar_t* name) {
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  return GetClassInfoExW(ThisModule(), name, &info) != FALSE;
}

// Answers what reaches it of a child's notifications; throws on kThrowMessage.
class TParent final : public TWindowBase {
 public:
  TParent() : class_(L"TKivoTestParent", &TWindowBase::WindowProc) {
    Create(0, class_.Name(), L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr);
  }
  ~TParent() override { Destroy(); }

  std::vector<UINT> seen;
  std::vector<std::string> failures;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kThrowMessage) throw std::runtime_error("parent failed");
    if (message == WM_COMMAND || message == WM_NOTIFY || message == WM_DRAWITEM ||
        message == WM_MEASUREITEM) {
      seen.push_back(message);
      return kParentAnswer;
    }
    return TWindowBase::HandleMessage(message, wParam, lParam);
  }
  void OnHandlerFailure(const char* what) noexcept override { failures.emplace_back(what); }

 private:
  TWindowClassUse class_;
};

// An owner-drawn button whose object takes the reflected messages in `takes`.
class TButton final : public TControl {
 public:
  TButton(HWND parent, int id) {
    Create(0, L"BUTTON", L"", WS_CHILD | BS_OWNERDRAW, 0, 0, 50, 20, parent, id);
  }

  std::set<UINT> takes;
  UINT throws = 0;

 protected:
  std::optional<LRESULT> OnReflected(UINT message, WPARAM, LPARAM) override {
    if (message == throws) throw std::runtime_error("button failed");
    if (takes.count(message) != 0) return kChildAnswer;
    return std::nullopt;
  }
  LRESULT ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kThrowMessage) throw std::runtime_error("button's own message failed");
    return TControl::ControlMessage(message, wParam, lParam);
  }
};

class ReflectionTest : public ::testing::Test {
 protected:
  LRESULT Notify(UINT message, UINT controlType = ODT_BUTTON) {
    NMHDR header{button.Handle(), kId, NM_CLICK};
    DRAWITEMSTRUCT draw{};
    draw.CtlType = controlType;
    draw.CtlID = kId;
    draw.hwndItem = button.Handle();
    MEASUREITEMSTRUCT measure{controlType, kId, 0, 0, 0, 0};
    LPARAM lParam = reinterpret_cast<LPARAM>(button.Handle());
    if (message == WM_NOTIFY) lParam = reinterpret_cast<LPARAM>(&header);
    if (message == WM_DRAWITEM) lParam = reinterpret_cast<LPARAM>(&draw);
    if (message == WM_MEASUREITEM) lParam = reinterpret_cast<LPARAM>(&measure);
    return SendMessageW(parent.Handle(), message, message == WM_COMMAND ? kId : 0, lParam);
  }

  static constexpr UINT kId = 5;
  TParent parent;
  TButton button{parent.Handle(), kId};
};

TEST_F(ReflectionTest, ChildNotificationsReachTheChildsObjectFirstAndFallBackToTheParent) {
  struct TCase {
    UINT Message;
    bool ChildTakes;
    UINT ControlType;
    LRESULT Answer;
  };
  for (const TCase& c :
       {TCase{WM_COMMAND, true, ODT_BUTTON, kChildAnswer}, TCase{WM_NOTIFY, true, ODT_BUTTON, kChildAnswer},
        TCase{WM_DRAWITEM, true, ODT_BUTTON, kChildAnswer},
        TCase{WM_MEASUREITEM, true, ODT_BUTTON, kChildAnswer},
        TCase{WM_COMMAND, false, ODT_BUTTON, kParentAnswer},
        TCase{WM_NOTIFY, false, ODT_BUTTON, kParentAnswer},
        // Menu items are no controls, whatever their ID.
        TCase{WM_DRAWITEM, true, ODT_MENU, kParentAnswer},
        TCase{WM_MEASUREITEM, true, ODT_MENU, kParentAnswer}}) {
    button.takes = c.ChildTakes ? std::set<UINT>{c.Message} : std::set<UINT>{};
    parent.seen.clear();
    EXPECT_EQ(Notify(c.Message, c.ControlType), c.Answer) << c.Message << " " << c.ChildTakes;
    EXPECT_EQ(parent.seen.size(), c.Answer == kParentAnswer ? 1u : 0u) << c.Message;
  }
}

TEST_F(ReflectionTest, MenuCommandsStayWithTheParent) {
  button.takes = {WM_COMMAND};
  EXPECT_EQ(SendMessageW(parent.Handle(), WM_COMMAND, kId, 0), kParentAnswer);
}

TEST_F(ReflectionTest, ThrowingHandlersAreCaughtAndReportedToTheParentsObject) {
  button.throws = WM_NOTIFY;
  EXPECT_EQ(Notify(WM_NOTIFY), 0) << "the default answer";
  EXPECT_TRUE(parent.seen.empty()) << "a failed handler is not run again by the parent";
  EXPECT_EQ(SendMessageW(button.Handle(), kThrowMessage, 0, 0), 0);
  EXPECT_EQ(SendMessageW(parent.Handle(), kThrowMessage, 0, 0), 0);
  EXPECT_EQ(parent.failures,
            (std::vector<std::string>{"button failed", "button's own message failed", "parent failed"}));
}

TEST(ControlTest, ControlDestroyedWithItsParentIsForgotten) {
  std::optional<TParent> parent(std::in_place);
  TButton button(parent->Handle(), 1);
  const HWND control = button.Handle();
  parent.reset();
  EXPECT_FALSE(IsWindow(control));
  EXPECT_EQ(button.Handle(), nullptr);
}

TEST(WindowClassTest, ClassIsUnregisteredWhenItsLastUserGoes) {
  {
    const TWindowClassUse first(L"TKivoTestClass", &DefWindowProcW);
    { const TWindowClassUse second(L"TKivoTestClass", &DefWindowProcW); }
    EXPECT_TRUE(ClassRegistered(L"TKivoTestClass")) << "one user left";
  }
  EXPECT_FALSE(ClassRegistered(L"TKivoTestClass"));
  { const TParent window; }
  EXPECT_FALSE(ClassRegistered(L"TKivoTestParent")) << "the window's class left with it";
}

TEST(ClipboardTest, UnicodeTextRoundTripsWithCrLfLines) {
  const TParent owner;
  struct TCase {
    std::u16string Put;
    std::u16string Read;
  };
  for (const TCase& c :
       {TCase{u"Привет, мир", u"Привет, мир"}, TCase{u"раз\nдва\r\nтри", u"раз\r\nдва\r\nтри"},
        TCase{u"\n", u"\r\n"}, TCase{u"", u""}}) {
    ASSERT_TRUE(PutClipboardText(owner.Handle(), c.Put));
    EXPECT_EQ(ClipboardText(owner.Handle()), std::optional(c.Read));
  }
}

}  // namespace
}  // namespace kivo
