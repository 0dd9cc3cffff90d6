# sv_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [XVFB] [GUI] [TIMEOUT <s>])
#
# One Qt Test executable run by CTest. Logic tests run with the offscreen
# platform; XVFB runs the test under a private X server, for what offscreen
# cannot show (window shapes, the tray, real input).
function(sv_add_test name)
  cmake_parse_arguments(ARG "XVFB" "TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  qt_add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES MACOSX_BUNDLE OFF)
  target_link_libraries(${name} PRIVATE sv_options Qt6::Test ${ARG_LIBRARIES})
  target_compile_definitions(${name} PRIVATE
    SV_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    SV_PROGRAM_DIR="${SV_PROGRAM_DIR}")
  if(ARG_XVFB)
    add_test(NAME ${name}
      COMMAND xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" $<TARGET_FILE:${name}>)
    # No session bus: Qt would launch one for the display, and it would outlive the test.
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "DBUS_SESSION_BUS_ADDRESS=disabled:")
  else()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# Adds every direct sub-folder that has a CMakeLists.txt, so each component
# of a subsystem can own its folder.
macro(sv_add_subdirectories)
  file(GLOB _sv_children LIST_DIRECTORIES true CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT _sv_children)
  foreach(_sv_child IN LISTS _sv_children)
    if(IS_DIRECTORY "${_sv_child}" AND EXISTS "${_sv_child}/CMakeLists.txt")
      add_subdirectory("${_sv_child}")
    endif()
  endforeach()
endmacro()

# Under the sanitizers (scripts/test-sanitizers.sh), two checks are off for tests that start the
# web engine, because they fire inside Qt WebEngine and the GL driver, never in our code: Chromium
# frees some of its own objects with a sized delete of another type (its own sanitizer builds turn
# that check off too), and the GL driver is unloaded before the leak check, so what it leaves
# cannot be told apart from ours. Memory errors and undefined behaviour are still checked.
function(sv_allow_web_engine_under_sanitizers)
  if(CMAKE_CXX_FLAGS MATCHES "-fsanitize=[^ ]*address")
    set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT_MODIFICATION
      "ASAN_OPTIONS=string_append::new_delete_type_mismatch=0:detect_leaks=0")
  endif()
endfunction()
