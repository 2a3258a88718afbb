// Readable names of message codes and records, for the log and the reports.
#pragma once

#include <string>

#include "plugin/PluginMessages.h"

namespace kivo::host {

// "PM_WORD_CHECK" for 7; "unknown" for codes nobody defined.
std::string MessageName(TPluginWord code);
// "7 PM_WORD_CHECK W=0x... L=0x... X=0x... R=0x..."
std::string DescribeRecord(const TPluginMessage& message);
std::string Hex(TPluginWord value);
// Drawing messages come with every paint and would drown the log.
bool IsDrawingMessage(TPluginWord code);

}  // namespace kivo::host
