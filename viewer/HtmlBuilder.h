// Builds the box tree of a page from its tokens, tolerating what real pages
// do: unclosed and misnested tags, blocks inside inline elements, cells
// without rows, text straight inside tables.
#pragma once

#include <string_view>

#include "viewer/HtmlContent.h"
#include "viewer/HtmlView.h"

namespace kivo {

THtmlContent BuildHtmlContent(std::u16string_view html, const THtmlViewOptions& options);

}  // namespace kivo
