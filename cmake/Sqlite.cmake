# SQLite, the baseline the record list's benchmark runs beside (test and benchmark builds only):
# Debian's sqlite3 source package, unpacked by scripts/setup into build/deps together with the
# single-file source it generates from it, built here as a static library for the toolchain in
# use. It is someone else's code: our warning flags are switched off for it alone. Extensions
# are never loaded, so that part is left out.
set(SQLITE_SOURCE_DIR ${CMAKE_SOURCE_DIR}/build/deps/sqlite3 CACHE PATH
    "Unpacked sqlite3 source with its generated sqlite3.c (scripts/setup makes it)")
if(NOT EXISTS ${SQLITE_SOURCE_DIR}/sqlite3.c)
  message(FATAL_ERROR "No sqlite3.c in ${SQLITE_SOURCE_DIR}: run scripts/setup")
endif()

add_library(sqlite3 STATIC ${SQLITE_SOURCE_DIR}/sqlite3.c)
target_compile_options(sqlite3 PRIVATE -w)
target_compile_definitions(sqlite3 PRIVATE SQLITE_OMIT_LOAD_EXTENSION SQLITE_DQS=0)
target_include_directories(sqlite3 SYSTEM INTERFACE ${SQLITE_SOURCE_DIR})
