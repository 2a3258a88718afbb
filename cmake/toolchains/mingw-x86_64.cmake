# Only for machines where 32-bit Wine cannot be installed: the same Windows
# code built for 64-bit so its tests still run under 64-bit Wine.
set(KIVO_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
