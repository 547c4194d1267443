# Shared settings and the helpers that turn each folder under src/ into one library.

add_library(vennaro_settings INTERFACE)
target_compile_options(vennaro_settings INTERFACE -Wall -Wextra -Wpedantic)
if(VENNARO_WERROR)
  target_compile_options(vennaro_settings INTERFACE -Werror)
endif()
target_compile_definitions(vennaro_settings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_KEYWORDS
  VENNARO_VERSION="${PROJECT_VERSION}")
target_include_directories(vennaro_settings INTERFACE ${PROJECT_SOURCE_DIR}/src)

set(VENNARO_ALL_LIBRARIES "" CACHE INTERNAL "")

# vennaro_library(folder DEPS ...): a static library named after the folder
# (formats/vcard -> formats_vcard) from every source file in it. A folder with
# no sources yet makes no target; dependencies on such folders are dropped.
function(vennaro_library folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  string(REPLACE "/" "_" name ${folder})
  file(GLOB sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
  set(deps "")
  foreach(dep IN LISTS ARG_DEPS)
    if(TARGET ${dep} OR dep MATCHES "::")
      list(APPEND deps ${dep})
    else()
      # A dependency on a folder without sources stands for what that folder would link.
      get_property(inherited GLOBAL PROPERTY VENNARO_DEPS_${dep})
      list(APPEND deps ${inherited})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES deps)
  if(NOT sources)
    set_property(GLOBAL PROPERTY VENNARO_DEPS_${name} ${deps})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC vennaro_settings Qt6::Core ${deps})
  set(VENNARO_ALL_LIBRARIES ${name} ${VENNARO_ALL_LIBRARIES} CACHE INTERNAL "")
endfunction()

# Everything under resources/ is compiled into the named library.
function(vennaro_resources target)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/resources/*)
  qt_add_resources(${target} vennaro_resources PREFIX "/" BASE ${PROJECT_SOURCE_DIR}/resources
    FILES ${files})
endfunction()

# vennaro_check_no_widgets(allowed ...): stops the configuration when a library of ours other
# than the allowed ones links Qt Widgets or Qt PrintSupport, directly or through another of
# our libraries.
function(vennaro_check_no_widgets)
  set(libraries ${VENNARO_ALL_LIBRARIES})
  list(REMOVE_DUPLICATES libraries)
  foreach(library IN LISTS libraries)
    if(library IN_LIST ARGN)
      continue()
    endif()
    set(pending ${library})
    set(seen "")
    while(pending)
      list(POP_FRONT pending current)
      if(current IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${current})
      if(current MATCHES "^Qt6::(Widgets|PrintSupport)$")
        message(FATAL_ERROR "${library} links ${current}; only ${ARGN} may use widgets")
      endif()
      if(TARGET ${current} AND NOT current MATCHES "::")
        get_target_property(links ${current} LINK_LIBRARIES)
        if(links)
          list(APPEND pending ${links})
        endif()
      endif()
    endwhile()
  endforeach()
endfunction()
