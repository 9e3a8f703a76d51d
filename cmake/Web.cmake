# The browser build: the Qt-free layers, the raster canvas, FreeType and the
# fonts compiled with emscripten into build-web/ (`cmake --preset web`).
#
#   www/zak-core.js, www/zak-core.wasm    the module (a factory ZakCore, embind API of
#                                          src/web/UWebApi.h)
#   www/fonts/                             the fonts the canvas loads by name
#   zak.mjs                                `node build-web/zak.mjs --run ...`,
#                                          the command-line twin of zak
#
# Debian's emscripten 3.1.6 is assumed: its linker needs Node's acorn from
# /usr/share/nodejs (the preset sets NODE_PATH), and no emscripten ports can be
# fetched, so FreeType is compiled here from Debian's source (fetched by
# tools/install-deps.sh).

enable_language(C)

# The same numbers as the desktop: no fused multiply-adds.
set(ZAK_CORE_FLAGS -ffp-contract=off)
# -O2 with link-time optimisation for all: the differential tests and the
# benchmarks run this code. Across units the interpreter's calls inline, which
# took a tenth off the recursive fib and a sixth off the long loop.
set(ZAK_WEB_OPTIMIZE -O2 -flto CACHE STRING "Optimisation of the browser build")
add_compile_options(${ZAK_WEB_OPTIMIZE})

file(GLOB ZAK_WEB_CORE_SOURCES CONFIGURE_DEPENDS
     src/language/*.cpp src/graphics/*.cpp src/graphics/raster/*.cpp src/interpreter/*.cpp src/shared/*.cpp)
add_library(zak_web_core STATIC ${ZAK_WEB_CORE_SOURCES})
target_compile_options(zak_web_core PRIVATE ${ZAK_CORE_FLAGS})
target_include_directories(zak_web_core PUBLIC
  src/language src/graphics src/graphics/raster src/interpreter src/shared)
# The text canvas reads the fonts from /fonts of the module's file system,
# where the page and zak.mjs put them.
target_compile_definitions(zak_web_core PRIVATE ZAK_FONTS_SOURCE_DIR="/fonts")

# Exceptions stay off in the core (a throw there would abort the module): its
# paths do not throw, the memory budget is checked before allocating, and
# catching costs 1.3 to 1.5 times the run time. Code completion abandons a
# lookup with an exception inside its own unit: only that unit catches.
set_source_files_properties(src/shared/UVorschlaege.cpp PROPERTIES
  COMPILE_OPTIONS "-sDISABLE_EXCEPTION_CATCHING=0")

# FreeType 2.12.1 as Debian builds it (its patches applied), with the modules
# ZAK's TrueType fonts need.
if(DEFINED ENV{ZAK_CACHE})
  set(zak_cache "$ENV{ZAK_CACHE}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(zak_cache "$ENV{XDG_CACHE_HOME}/zak")
else()
  set(zak_cache "$ENV{HOME}/.cache/zak")
endif()
set(ZAK_FREETYPE_SOURCE "${zak_cache}/freetype-2.12.1+dfsg" CACHE PATH
    "Debian's FreeType 2.12.1 source (tools/install-deps.sh fetches it)")
if(NOT EXISTS "${ZAK_FREETYPE_SOURCE}/src/base/ftbase.c")
  message(FATAL_ERROR "FreeType's source is missing in ${ZAK_FREETYPE_SOURCE}: run tools/install-deps.sh")
endif()
set(ft ${ZAK_FREETYPE_SOURCE}/src)
add_library(zak_freetype STATIC
  ${ft}/base/ftsystem.c ${ft}/base/ftinit.c ${ft}/base/ftdebug.c ${ft}/base/ftbase.c
  ${ft}/base/ftbitmap.c ${ft}/base/ftglyph.c ${ft}/base/ftsynth.c ${ft}/base/ftbbox.c ${ft}/base/ftmm.c
  ${ft}/truetype/truetype.c ${ft}/sfnt/sfnt.c ${ft}/autofit/autofit.c ${ft}/psnames/psnames.c
  ${ft}/pshinter/pshinter.c ${ft}/smooth/smooth.c ${ft}/raster/raster.c ${ft}/gzip/ftgzip.c)
file(WRITE ${CMAKE_BINARY_DIR}/freetype-config/zak-ftmodule.h
"FT_USE_MODULE( FT_Module_Class, autofit_module_class )
FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )
FT_USE_MODULE( FT_Module_Class, psnames_module_class )
FT_USE_MODULE( FT_Module_Class, pshinter_module_class )
FT_USE_MODULE( FT_Module_Class, sfnt_module_class )
FT_USE_MODULE( FT_Renderer_Class, ft_smooth_renderer_class )
FT_USE_MODULE( FT_Renderer_Class, ft_raster1_renderer_class )
")
target_compile_definitions(zak_freetype PRIVATE FT2_BUILD_LIBRARY
  "FT_CONFIG_MODULES_H=<zak-ftmodule.h>")
target_include_directories(zak_freetype PRIVATE ${CMAKE_BINARY_DIR}/freetype-config)
target_include_directories(zak_freetype SYSTEM PUBLIC ${ZAK_FREETYPE_SOURCE}/include)
target_compile_options(zak_freetype PRIVATE -w)
target_link_libraries(zak_web_core PUBLIC zak_freetype)

# The module. A 5 MB stack carries the deepest recursion and nesting the
# interpreter allows (newer emscripten releases default to 64 KB); no
# threads, which a browser allows only to cross-origin isolated pages.
file(GLOB ZAK_WEB_SOURCES CONFIGURE_DEPENDS src/web/*.cpp)
add_executable(zak_web ${ZAK_WEB_SOURCES})
target_include_directories(zak_web PRIVATE src/web)
target_link_libraries(zak_web PRIVATE zak_web_core)
set_target_properties(zak_web PROPERTIES OUTPUT_NAME zak-core SUFFIX .js
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/www)
target_link_options(zak_web PRIVATE
  --bind ${ZAK_WEB_OPTIMIZE}
  -sMODULARIZE=1 -sEXPORT_NAME=ZakCore -sENVIRONMENT=web,node
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB -sTOTAL_STACK=5242880
  -sDISABLE_EXCEPTION_CATCHING=0
  -sFORCE_FILESYSTEM=1 -sEXPORTED_RUNTIME_METHODS=FS)

# The fonts with their licences and the command-line twin.
add_custom_command(TARGET zak_web POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/www/fonts
  COMMAND sh -c "cp ${PROJECT_SOURCE_DIR}/fonts/*.ttf ${PROJECT_SOURCE_DIR}/fonts/COPYING* ${PROJECT_SOURCE_DIR}/fonts/README* ${CMAKE_BINARY_DIR}/www/fonts/ 2>/dev/null || true"
  VERBATIM)
configure_file(src/web/zak.mjs ${CMAKE_BINARY_DIR}/zak.mjs @ONLY)

# The portable maths functions' digest under Node, against the native one
# (tests/web/maths.test.mjs).
add_executable(zak_math_digest tests/web/MathDriver.cpp src/language/UPortableMath.cpp)
target_compile_options(zak_math_digest PRIVATE ${ZAK_CORE_FLAGS})
target_include_directories(zak_math_digest PRIVATE src/language)
set_target_properties(zak_math_digest PROPERTIES SUFFIX .js)
target_link_options(zak_math_digest PRIVATE ${ZAK_WEB_OPTIMIZE} -sENVIRONMENT=node -sSINGLE_FILE=1)
