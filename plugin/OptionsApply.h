// The OK of the options dialog: the working copy becomes the running settings
// and reaches the disk.
#pragma once

#include "feeds/FeedTable.h"
#include "feeds/PluginGlobals.h"
#include "options/OptionsDraft.h"
#include "plugin/PluginSettings.h"

namespace kivo {

// Saves what the running records hold, then builds the whole new INI from the
// current one (keys the dialogs do not edit stay; a feed whose address changed
// takes its section and cache files to its new cache name; a deleted feed's
// section goes) and replaces the file at once; then takes the settings over,
// saves them and reloads the feed table. A feed still loading keeps its run
// state across the reload. False, with nothing taken over, when the INI could
// not be written; later write failures are left to the next save.
bool ApplyOptions(const TOptionsDraft& draft, TPluginGlobals& globals, TRSS& rss,
                  const TSettingsContext& context);

}  // namespace kivo
