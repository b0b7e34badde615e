# Hardening of the optimised builds (those that make the package), as Debian builds its own
# programs: checked buffer functions (_FORTIFY_SOURCE, which needs optimisation) and
# relocations resolved and made read-only at start (bindnow, relro).
option(BRIMWELL_HARDENING "Build optimised programs with fortify and bindnow" ON)

if(BRIMWELL_HARDENING AND NOT MSVC AND NOT WIN32)
  set(brimwell_optimised $<CONFIG:Release,RelWithDebInfo,MinSizeRel>)
  add_compile_options($<${brimwell_optimised}:-U_FORTIFY_SOURCE>
                      $<${brimwell_optimised}:-D_FORTIFY_SOURCE=2>)
  add_link_options($<${brimwell_optimised}:LINKER:-z,relro,-z,now>)
endif()
