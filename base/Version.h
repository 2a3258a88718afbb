// The plugin's version, in one place: the information record, the about page
// and the DLL's version resource (plugin/win32/KivoRss.rc) all take it from
// here. The build number is the number of commits on main; the build writes
// it to KivoBuild.h, and a tree without one counts as build 0.
#pragma once

#if defined(__has_include)
#if __has_include(<KivoBuild.h>)
#include <KivoBuild.h>
#endif
#endif
#ifndef KIVO_BUILD_NUMBER
#define KIVO_BUILD_NUMBER 0
#endif

#define KIVO_VERSION_MAJOR 2
#define KIVO_VERSION_MINOR 7
#define KIVO_VERSION_STRINGIZE_(x) #x
#define KIVO_VERSION_STRINGIZE(x) KIVO_VERSION_STRINGIZE_(x)
// "2.7.N"
#define KIVO_VERSION_TEXT                    \
  KIVO_VERSION_STRINGIZE(KIVO_VERSION_MAJOR) \
  "." KIVO_VERSION_STRINGIZE(KIVO_VERSION_MINOR) "." KIVO_VERSION_STRINGIZE(KIVO_BUILD_NUMBER)

#ifndef RC_INVOKED
namespace kivo {
inline constexpr int kVersionMajor = KIVO_VERSION_MAJOR;
inline constexpr int kVersionMinor = KIVO_VERSION_MINOR;
inline constexpr int kBuildNumber = KIVO_BUILD_NUMBER;
inline constexpr char kVersionText[] = KIVO_VERSION_TEXT;
}  // namespace kivo
#endif
