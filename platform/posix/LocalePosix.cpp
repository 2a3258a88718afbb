#include "platform/Locale.h"

namespace kivo {

ILocaleFormats& SystemLocale() {
  static TFixedLocaleFormats locale;
  return locale;
}

}  // namespace kivo
