// The message that names the problem of a typed feed address, in the
// dialog's language.
#pragma once

#include <string>
#include <vector>

#include "feeds/FeedAddress.h"
#include "options/OptionsDraft.h"

namespace kivo {

// `owners` are the entries whose addresses were checked against, in the same
// order: a Duplicate names the one it clashes with.
std::string AddressProblemText(const TAddressCheck& check, const std::vector<const TFeedEntry*>& owners);

}  // namespace kivo
