# Run by `cmake --install` (after the variables BRINDLEWICK_* are set): writes the desktop entry with the
# installed executable's path, and the game's section of the machine-wide registry file, whose
# "InstallPath" names the folder that holds data/pack0.pak.
#
# The registry file is <first folder of XDG_CONFIG_DIRS>/corvantis/registry.ini; XDG_CONFIG_DIRS is
# /etc/xdg unless set. A prefix of /usr or /usr/local writes it there; any other prefix writes
# <prefix>/etc/xdg/corvantis/registry.ini, and the game needs XDG_CONFIG_DIRS to name <prefix>/etc/xdg
# (the desktop entry then starts it so).
set(prefix "${CMAKE_INSTALL_PREFIX}")
if(prefix STREQUAL "/usr" OR prefix STREQUAL "/usr/local")
  set(config_dir "/etc/xdg")
  set(exec "${prefix}/${BRINDLEWICK_BINDIR}/brindlewick")
else()
  if(IS_ABSOLUTE "${BRINDLEWICK_SYSCONFDIR}")
    set(config_dir "${BRINDLEWICK_SYSCONFDIR}/xdg")
  else()
    set(config_dir "${prefix}/${BRINDLEWICK_SYSCONFDIR}/xdg")
  endif()
  set(exec "env XDG_CONFIG_DIRS=${config_dir} ${prefix}/${BRINDLEWICK_BINDIR}/brindlewick")
endif()

set(BRINDLEWICK_EXEC "${exec}")
set(desktop "$ENV{DESTDIR}${prefix}/${BRINDLEWICK_DATADIR}/applications/brindlewick.desktop")
message(STATUS "Installing: ${desktop}")
configure_file("${BRINDLEWICK_DESKTOP_IN}" "${desktop}" @ONLY)

# Other sections of an existing file stay; the game's own section is replaced.
set(registry "$ENV{DESTDIR}${config_dir}/corvantis/registry.ini")
set(section "[${BRINDLEWICK_REGISTRY_KEY}]\nInstallPath=${prefix}/${BRINDLEWICK_DATADIR}/brindlewick\n")
set(kept "")
if(EXISTS "${registry}")
  file(READ "${registry}" kept)
  string(TOLOWER "${kept}" lower)
  string(TOLOWER "[${BRINDLEWICK_REGISTRY_KEY}]" own)
  string(FIND "${lower}" "${own}" at)
  if(at GREATER -1)
    string(SUBSTRING "${kept}" 0 ${at} before)
    string(SUBSTRING "${kept}" ${at} -1 rest)
    string(FIND "${rest}" "\n[" next)
    set(after "")
    if(next GREATER -1)
      math(EXPR next "${next} + 1")
      string(SUBSTRING "${rest}" ${next} -1 after)
    endif()
    set(kept "${before}${after}")
  endif()
  if(NOT kept STREQUAL "" AND NOT kept MATCHES "\n$")
    string(APPEND kept "\n")
  endif()
endif()
message(STATUS "Installing: ${registry}")
file(WRITE "${registry}" "${kept}${section}")
