#include "options/AddressMessages.h"

#include "lang/LanguageTexts.h"

namespace kivo {

std::string AddressProblemText(const TAddressCheck& check, const std::vector<const TFeedEntry*>& owners) {
  switch (check.Problem) {
    case TAddressProblem::None:
      return {};
    case TAddressProblem::Empty:
      return Lang.lang_opt_err_addr_empty;
    case TAddressProblem::Scheme:
      return Lang.lang_opt_err_addr_scheme;
    case TAddressProblem::Character:
      return Lang.lang_opt_err_addr_char;
    case TAddressProblem::Duplicate: {
      const TFeedEntry* owner = check.Clash < owners.size() ? owners[check.Clash] : nullptr;
      return Lang.lang_opt_err_addr_duplicate + (owner ? owner->Name + " (" + owner->Address + ")" : "");
    }
  }
  return {};
}

}  // namespace kivo
