// Character references of HTML text and attribute values.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kivo {

// The character of a named reference ("amp" -> '&'); nullopt for an unknown name.
std::optional<char16_t> NamedCharacter(std::u16string_view name);

enum class TReferencePlace { Text, Attribute };

// Replaces "&name;", "&#N;" and "&#xH;" by their characters. Unknown names and
// malformed references stay as they stand; a code with no character (0,
// surrogates, beyond U+10FFFF) gives U+FFFD, and 0x80-0x9F are read as
// windows-1252 the way browsers do. In an attribute value a name without its
// ';' followed by "=" stays too: "?id=5&sect=2" is an address, not a section sign.
std::u16string DecodeCharacterReferences(std::u16string_view text,
                                         TReferencePlace place = TReferencePlace::Text);

}  // namespace kivo
