# Shared by the mingw-w64 toolchain files; ECF_MINGW_TRIPLET names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ECF_MINGW_TRIPLET})

find_program(CMAKE_C_COMPILER NAMES ${ECF_MINGW_TRIPLET}-gcc-posix ${ECF_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ECF_MINGW_TRIPLET}-g++-posix ${ECF_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ECF_MINGW_TRIPLET}-windres)
set(CMAKE_OBJDUMP ${ECF_MINGW_TRIPLET}-objdump CACHE FILEPATH "objdump of the target")

set(CMAKE_FIND_ROOT_PATH /usr/${ECF_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread go inside each binary, so that the DLL and
# the test programs need only the system's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine, when it is there.
if(ECF_MINGW_TRIPLET MATCHES "^x86_64")
  find_program(ECF_WINE NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
else()
  # Debian's 32-bit loader (package wine32, i386); /usr/bin/wine is only a wrapper.
  find_program(ECF_WINE NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
endif()
if(ECF_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ECF_WINE})
endif()
