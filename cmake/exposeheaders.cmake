# SPDX-License-Identifier: GPL-3.0-or-later
# A library exposes its own folder and nothing else: code that includes
# "folder/header.h" finds it only when it links that folder's library, so a
# leaf cannot include the window, nor the drill (which links speech/) the
# wizard in merlin/. Each folder gets an include root of its own
# in the build tree, holding a link back to the sources.
function(zorvali_expose_headers target)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
