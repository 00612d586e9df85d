# Ondavel.def and the MSVC import library Ondavel.lib for a Windows build
# made with MinGW-w64.  MSVC's linker wants an import library of short
# import members, which MinGW's libOndavel.dll.a is not.  The .def is
# written from the linker's own list of the DLL's exports (--output-def), so
# it cannot drift from the DLL; llvm-dlltool turns it into Ondavel.lib.  On
# 32-bit x86 the names in the .def stay as the DLL exports them and the
# import library carries the cdecl-decorated symbols (_name, __imp__name)
# that MSVC-compiled callers reference.
#
# Also run as a script (cmake -P) to write the .def:
#   -DLINKER_DEF=<--output-def file> -DDEF=<Ondavel.def> -DDLL=<Ondavel.dll>

if(CMAKE_SCRIPT_MODE_FILE)
  file(STRINGS "${LINKER_DEF}" lines)
  set(names "")
  set(in_exports OFF)
  foreach(line IN LISTS lines)
    if(line MATCHES "^EXPORTS")
      set(in_exports ON)
    elseif(in_exports AND line MATCHES "^[ \t]+([A-Za-z_][A-Za-z0-9_@]*)")
      list(APPEND names "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  if(names STREQUAL "")
    message(FATAL_ERROR "${LINKER_DEF} lists no exports")
  endif()
  list(SORT names)
  list(TRANSFORM names PREPEND "    ")
  list(JOIN names "\n" body)
  file(WRITE "${DEF}.new" "LIBRARY ${DLL}\nEXPORTS\n${body}\n")
  file(COPY_FILE "${DEF}.new" "${DEF}" ONLY_IF_DIFFERENT)
  file(REMOVE "${DEF}.new")
  return()
endif()

set(ONDAVEL_MSVC_IMPORT_LIBRARY_SCRIPT ${CMAKE_CURRENT_LIST_FILE})
find_program(ONDAVEL_DLLTOOL
  NAMES llvm-dlltool llvm-dlltool-19 llvm-dlltool-18 llvm-dlltool-17
        llvm-dlltool-16 llvm-dlltool-15 llvm-dlltool-14
  DOC "llvm-dlltool, which makes the MSVC import library Ondavel.lib")
if(NOT ONDAVEL_DLLTOOL)
  message(FATAL_ERROR "llvm-dlltool not found: it makes the MSVC import "
    "library Ondavel.lib (Debian package llvm; scripts/install-deps.sh)")
endif()

# Sets the target's properties ONDAVEL_DEF_FILE and
# ONDAVEL_MSVC_IMPORT_LIBRARY to the two files, for tests.
function(ondavel_add_msvc_import_library target)
  if(ONDAVEL_X86_32)
    set(machine i386)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(ARM64|arm64|aarch64)$")
    set(machine arm64)
  else()
    set(machine i386:x86-64)
  endif()
  set(linker_def ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports.def)
  set(def ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/${target}.lib)
  target_link_options(${target} PRIVATE -Wl,--output-def,${linker_def})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DLINKER_DEF=${linker_def} -DDEF=${def}
            -DDLL=$<TARGET_FILE_NAME:${target}>
            -P ${ONDAVEL_MSVC_IMPORT_LIBRARY_SCRIPT}
    COMMAND ${ONDAVEL_DLLTOOL} -m ${machine} -d ${def}
            -D $<TARGET_FILE_NAME:${target}> -l ${lib}
    BYPRODUCTS ${linker_def} ${def} ${lib}
    COMMENT "Ondavel.def and the MSVC import library Ondavel.lib"
    VERBATIM)
  set_target_properties(${target} PROPERTIES
    ONDAVEL_DEF_FILE ${def} ONDAVEL_MSVC_IMPORT_LIBRARY ${lib})
  install(FILES ${def} ${lib} DESTINATION ${CMAKE_INSTALL_LIBDIR}
    COMPONENT Development)
endfunction()
