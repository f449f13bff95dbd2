# Include roots that enforce the layering of src/ (see src/CMakeLists.txt).
set(ORV_LAYER_ROOTS ${PROJECT_BINARY_DIR}/layers)
set(ORV_SEAM_HEADERS os/os.h os/little_endian.h os/ascii_case.h)

# orv_include_root(TARGET PATH...): TARGET's include root, with links to
# the given files and folders of src/.
function(orv_include_root target)
  set(root ${ORV_LAYER_ROOTS}/${target})
  file(REMOVE_RECURSE ${root})
  foreach(path IN LISTS ARGN)
    get_filename_component(parent ${root}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${path} ${root}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PRIVATE ${root})
endfunction()

# orv_layer(FOLDER SOURCES file... [USES folder...]): the library orv_FOLDER,
# linked with the layers it uses and seeing them and what they see.
function(orv_layer folder)
  cmake_parse_arguments(arg "" "" "SOURCES;USES" ${ARGN})
  set(target orv_${folder})
  add_library(${target} STATIC ${arg_SOURCES})
  set(visible ${folder})
  foreach(lower IN LISTS arg_USES)
    get_property(lower_visible GLOBAL PROPERTY ORV_VISIBLE_${lower})
    list(APPEND visible ${lower_visible})
    target_link_libraries(${target} PUBLIC orv_${lower})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  set_property(GLOBAL PROPERTY ORV_VISIBLE_${folder} ${visible})
  target_link_libraries(${target} PUBLIC orv_os)
  orv_include_root(${target} ${visible} ${ORV_SEAM_HEADERS})
  orv_warnings(${target})
endfunction()
