# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers

# bw_windows_resources(target description [ICON file.ico]): on Windows, gives
# the program its version information (name, version, copyright in the
# file's properties) and, when named, its icon in Explorer and the taskbar.
function(bw_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(ARG "" "ICON" "" ${ARGN})
  set(BW_RC_NAME ${target})
  set(BW_RC_DESCRIPTION "${description}")
  set(BW_RC_ICON "")
  if(ARG_ICON)
    set(BW_RC_ICON "1 ICON \"${ARG_ICON}\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
