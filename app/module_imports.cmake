# Writes the dynamic list of what the modules import: the program exports those symbols and no
# others, so the dynamic linker's every lookup of a library symbol meets a small table in the
# program, and the table costs little memory.
#   cmake -DNM=... -DMODULES="a.so;b.so" -DOUT=list -P module_imports.cmake
set(names "")
foreach(module IN LISTS MODULES)
  execute_process(COMMAND ${NM} -D --undefined-only --format=posix ${module}
                  OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${NM} could not list the imports of ${module}")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${listing}")
  foreach(line IN LISTS lines)
    # "name U" or "name@VERSION U": the library symbols are found elsewhere, the list only
    # needs the program's, but listing a name the program lacks exports nothing.
    string(REGEX REPLACE "[@ ].*" "" name "${line}")
    list(APPEND names "${name}")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES names)
list(SORT names)
set(text "{\n")
foreach(name IN LISTS names)
  string(APPEND text "  \"${name}\";\n")
endforeach()
string(APPEND text "};\n")
file(WRITE ${OUT}.new "${text}")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
