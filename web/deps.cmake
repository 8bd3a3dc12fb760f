# The browser's build (Emscripten): zstd and pugixml compiled from Debian's sources, xxHash and
# toml++ from their Debian headers, as scripts/web-deps unpacks them; targets named as the
# desktop's find_package and pkg-config give them, so that the core's libraries link the same.
set(VIVARION_WEB_DEPS "${CMAKE_SOURCE_DIR}/build/web-deps" CACHE PATH "sources unpacked by scripts/web-deps")
if(NOT EXISTS "${VIVARION_WEB_DEPS}/ready")
  message(FATAL_ERROR "${VIVARION_WEB_DEPS}: no sources for the browser's build; run scripts/web-deps (make web does)")
endif()
enable_language(C)

add_library(web_pugixml STATIC "${VIVARION_WEB_DEPS}/pugixml/src/pugixml.cpp")
target_include_directories(web_pugixml SYSTEM PUBLIC "${VIVARION_WEB_DEPS}/pugixml/src")
add_library(pugixml::pugixml ALIAS web_pugixml)

file(GLOB web_zstd_sources "${VIVARION_WEB_DEPS}/zstd/lib/common/*.c" "${VIVARION_WEB_DEPS}/zstd/lib/compress/*.c"
     "${VIVARION_WEB_DEPS}/zstd/lib/decompress/*.c")
add_library(web_zstd STATIC ${web_zstd_sources})
target_include_directories(web_zstd SYSTEM PUBLIC "${VIVARION_WEB_DEPS}/zstd/lib")
target_compile_definitions(web_zstd PRIVATE ZSTD_DISABLE_ASM)
add_library(PkgConfig::ZSTD ALIAS web_zstd)

add_library(web_xxhash INTERFACE)
target_include_directories(web_xxhash SYSTEM INTERFACE "${VIVARION_WEB_DEPS}/include")
target_compile_definitions(web_xxhash INTERFACE XXH_INLINE_ALL)
add_library(PkgConfig::XXHASH ALIAS web_xxhash)

add_library(web_tomlplusplus INTERFACE)
target_include_directories(web_tomlplusplus SYSTEM INTERFACE "${VIVARION_WEB_DEPS}/include")
add_library(tomlplusplus::tomlplusplus ALIAS web_tomlplusplus)

# Other people's code: built as its authors build it, without our warnings as errors.
foreach(target web_pugixml web_zstd)
  set_target_properties(${target} PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
  target_compile_options(${target} PRIVATE -w)
endforeach()
