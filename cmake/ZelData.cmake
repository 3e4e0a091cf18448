# Build-time data: the bank table generated from a Bundesbank bank code file,
# embedded into an object file with .incbin so the records are used in place.

set(ZEL_DATA_DIR ${PROJECT_SOURCE_DIR}/objects/data)
set(ZEL_DEFAULT_BLZ_FILE ${ZEL_DATA_DIR}/blz_2026_06_08.txt)

# zel_embed(<out_var> <resource name> <binary file> <generating target>)
# Writes an assembler file that embeds <binary file> as resource <name> and
# returns its path in <out_var>.
function(zel_embed out_var name bin_file)
  set(asm ${CMAKE_CURRENT_BINARY_DIR}/${name}_${ARGV3}.S)
  file(WRITE ${asm}.in
"    .section .rodata.zel_res_@NAME@,\"a\",@progbits
    .balign 16
    .globl zel_res_@NAME@_begin
    .hidden zel_res_@NAME@_begin
zel_res_@NAME@_begin:
    .incbin \"@BIN@\"
    .globl zel_res_@NAME@_end
    .hidden zel_res_@NAME@_end
zel_res_@NAME@_end:
    .section .note.GNU-stack,\"\",@progbits
")
  set(NAME ${name})
  set(BIN ${bin_file})
  configure_file(${asm}.in ${asm} @ONLY)
  set_source_files_properties(${asm} PROPERTIES OBJECT_DEPENDS ${bin_file})
  set(${out_var} ${asm} PARENT_SCOPE)
endfunction()

# zel_generated_table(<out_var> <generator> <source> <binary name>)
# Runs a table generator of tools/ on a source file at build time.
function(zel_generated_table out_var generator src name)
  set(bin ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(
    OUTPUT ${bin}
    COMMAND ${generator} ${src} ${bin}
    DEPENDS ${generator} ${src}
    COMMENT "${name} from ${src}"
    VERBATIM)
  set(${out_var} ${bin} PARENT_SCOPE)
endfunction()

# zel_text_tables(<header> <name>=<file> ...)
# Writes a header with one constant text per file: its lines joined by ",".
function(zel_text_tables header)
  set(body "// Generated from objects/data by the build; do not edit.\n#pragma once\n\n#include <string_view>\n\nnamespace zel::tables {\n")
  foreach(pair IN LISTS ARGN)
    string(REPLACE "=" ";" parts "${pair}")
    list(GET parts 0 name)
    list(GET parts 1 file)
    file(STRINGS ${file} lines)
    list(JOIN lines "," joined)
    string(APPEND body "\ninline constexpr std::string_view ${name} =\n    \"${joined}\";\n")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  endforeach()
  string(APPEND body "\n}  // namespace zel::tables\n")
  file(CONFIGURE OUTPUT ${header} CONTENT "${body}" @ONLY)
endfunction()
