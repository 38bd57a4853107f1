# Common settings and helpers for the Velzor binaries.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

# Every executable and DLL lands in one folder, so programs find their DLLs.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX)
add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type -Wno-missing-field-initializers)

# Static runtime: each binary needs only system DLLs (and the product's own).
add_link_options(-static -static-libgcc -static-libstdc++)

# Tests run under Wine through the bench script (own prefix, Xvfb display).
set(VZ_BENCH_DIR ${CMAKE_BINARY_DIR}/bench)
set(VZ_BENCH ${CMAKE_SOURCE_DIR}/tests/support/bench)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VZ_BENCH};${VZ_BENCH_DIR};run)

# A GUI program (no console window).
function(vz_gui_program target)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()

# A product DLL: exported names are plain (no @n decoration on i686).
function(vz_product_dll target)
  set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "")
  target_link_options(${target} PRIVATE -Wl,--kill-at)
endfunction()

# The setup media (what disk 1 of the product holds), laid out in
# <build>/media by the `media` target and copied to dist/media by scripts/build.
#   vz_media(TARGETS t1 t2 ...)          built programs and DLLs, under their own names
#   vz_media(FILES f1 f2 ...)            files copied as they are
#   vz_media(GENERATED file DEPENDS tgt) a file made by a build step
function(vz_media)
  cmake_parse_arguments(M "" "GENERATED" "TARGETS;FILES;DEPENDS" ${ARGN})
  foreach(t IN LISTS M_TARGETS)
    set_property(GLOBAL APPEND PROPERTY VZ_MEDIA_ITEMS "$<TARGET_FILE:${t}>")
    set_property(GLOBAL APPEND PROPERTY VZ_MEDIA_DEPENDS ${t})
  endforeach()
  foreach(f IN LISTS M_FILES)
    get_filename_component(abs ${f} ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY VZ_MEDIA_ITEMS ${abs})
  endforeach()
  if(M_GENERATED)
    set_property(GLOBAL APPEND PROPERTY VZ_MEDIA_ITEMS ${M_GENERATED})
    set_property(GLOBAL APPEND PROPERTY VZ_MEDIA_DEPENDS ${M_DEPENDS})
  endif()
endfunction()

# A signature index (VZ.INX) and/or the memory scan library's pattern header,
# built from a signature list by tools/vzinx/build_vzinx.py; `target` builds them.
#   vz_signature_index(target LIST list [INDEX file] [MEMORY_HEADER file])
function(vz_signature_index target)
  cmake_parse_arguments(S "" "LIST;INDEX;MEMORY_HEADER" "" ${ARGN})
  find_program(VZ_PYTHON3 NAMES python3 REQUIRED)
  set(tool ${CMAKE_SOURCE_DIR}/tools/vzinx/build_vzinx.py)
  set(outputs)
  set(options)
  if(S_INDEX)
    list(APPEND outputs ${S_INDEX})
    list(APPEND options --index ${S_INDEX})
  endif()
  if(S_MEMORY_HEADER)
    list(APPEND outputs ${S_MEMORY_HEADER})
    list(APPEND options --memory-header ${S_MEMORY_HEADER})
  endif()
  foreach(out IN LISTS outputs)
    get_filename_component(dir ${out} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
  endforeach()
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${VZ_PYTHON3} ${tool} ${S_LIST} ${options}
    DEPENDS ${tool} ${S_LIST}
    COMMENT "Building ${outputs} from ${S_LIST}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()

function(vz_finish_media)
  get_property(items GLOBAL PROPERTY VZ_MEDIA_ITEMS)
  get_property(deps GLOBAL PROPERTY VZ_MEDIA_DEPENDS)
  set(dir ${CMAKE_BINARY_DIR}/media)
  add_custom_target(media ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${dir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${items} ${dir}
    COMMENT "Laying out the setup media in ${dir}"
    COMMAND_EXPAND_LISTS VERBATIM)
  if(deps)
    add_dependencies(media ${deps})
  endif()
endfunction()

# A GoogleTest program, run under Wine; every test needs the bench fixture.
#   vz_add_gtest(name SOURCES ... [LIBS ...] [LOCK machine])
function(vz_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LOCK;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  set(props FIXTURES_REQUIRED bench)
  if(T_LOCK)
    list(APPEND props RESOURCE_LOCK ${T_LOCK})
  endif()
  if(T_LABELS)
    list(APPEND props LABELS ${T_LABELS})
  endif()
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 180
    PROPERTIES ${props} TIMEOUT 240)
  add_dependencies(${name} media)
endfunction()
