# The pupil's page (web/) bundled with esbuild into build-web/www/ beside the
# module: index.html, styles, app.js, the two workers, the examples, the
# service worker and the manifest. npm ci in web/ (tools/install-deps.sh)
# brings CodeMirror and esbuild; the bundling takes about a second and runs
# with every build, since esbuild itself skips nothing.
find_program(ZAK_NODE node REQUIRED)
if(NOT EXISTS "${PROJECT_SOURCE_DIR}/web/node_modules/esbuild")
  message(FATAL_ERROR "web/node_modules is missing: run tools/install-deps.sh (npm ci in web/)")
endif()
add_custom_target(zak_page ALL
  COMMAND ${ZAK_NODE} ${PROJECT_SOURCE_DIR}/web/build.mjs --out ${CMAKE_BINARY_DIR}/www
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/web
  COMMENT "Die Seite wird gebündelt"
  VERBATIM)
add_dependencies(zak_page zak_web)

