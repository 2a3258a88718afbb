// The reader window's logic over fakes: feeds added by title and theme marks,
// then opened as the settings load does.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/FilePaths.h"
#include "lang/LanguageTexts.h"
#include "reader/ReaderWindow.h"
#include "tests/support/FeedTestDoubles.h"
#include "tests/support/ReaderTestDoubles.h"
#include "tests/support/TempFolder.h"

namespace kivo {

struct Theme {
  const char16_t* title;
  int mark;
};

class ReaderWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_lang_english();
    host_.feeds = &rss_;
  }
  void TearDown() override { window_.reset(); }

  void AddFeed(const std::string& title, const std::vector<Theme>& themes, bool showPanel = true) {
    tchannels& feed = rss_.Channels.emplace_back();
    const std::string n = std::to_string(rss_.Channels.size() - 1);
    feed.Title = title;
    feed.Url = "http://feeds.test/f" + n + ".xml";
    feed.CacheFile = dir_.File("f" + n + ".rss");
    feed.RawFile = ChangeFileExt(feed.CacheFile, ".xml");
    feed.TitleTag = "title";
    feed.DescriptionTag = "description";
    feed.ShowPanel = showPanel;
    feed.ShowBaloon = true;
    feed.PageComposed = true;  // the themes stand for a composed cache
    for (const Theme& theme : themes)
      feed.Items.push_back({theme.title, u"", u"D", u"", u"", u"", theme.mark});
  }

  // As the settings load does, then the first tab shown.
  TReaderWindow& Open() {
    window_ = std::make_unique<TReaderWindow>(TReaderServices{
        .View = view_,
        .Host = host_,
        .Clock = SystemClock(),
        .Locale = locale_,
        .ImageDecoder = decoder_,
        .Http = http_,
        .Poster = queue_,
        .FeedThreads = *feedThreads_,
        .PictureThreads = pictureThreads_,
        .CheckMailbox = checkMailbox_,
        .MakeImageDownload =
            [this](std::shared_ptr<THttpCancel>) {
              return [this](const std::string& url) {
                downloads_.push_back(url);
                return std::string("GIF89a");
              };
            },
    });
    for (int i = 0; i <= rss_.High(); ++i) {
      window_->AddFeedMenuItem(rss_.Channels[i].Title, "", i);
      window_->AddTab(rss_.Channels[i].Title + "|wu");
    }
    window_->TabControl1Change();
    return *window_;
  }

  // A click on a row of the theme list.
  void Select(int row) {
    view_.SetSelectedRow(row);
    window_->StringGrid1Click();
  }

  std::vector<int> Marks(int feed = 0) const {
    std::vector<int> marks;
    for (const auto& theme : rss_.Channels[feed].Items) marks.push_back(theme.Mark);
    return marks;
  }

  testing::TempFolder dir_{"kivo_reader_window_"};
  TRSS rss_;
  testing::FakeReaderView view_;
  testing::FakeReaderHost host_;
  testing::FakeHttpClient http_;
  testing::MessageQueue queue_;
  testing::FirstBytePictureDecoder decoder_;
  TFixedLocaleFormats locale_;
  IThreadStarter* feedThreads_ = &SystemThreads();
  testing::ImmediateThreads pictureThreads_;
  TSharedRef<TCheckMailbox> checkMailbox_ = MakeShared<TCheckMailbox>();
  std::vector<std::string> downloads_;
  std::unique_ptr<TReaderWindow> window_;
};

}  // namespace kivo
