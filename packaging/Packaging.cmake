# What an installation holds besides the two programs and their manual pages,
# and the Debian package made of it by CPack (scripts/package.sh):
#  - the manual pages, compressed as Debian installs them;
#  - a desktop entry for the viewer and hicolor icons, 48 to 512 px, drawn by
#    the exporter from the eversion itself when the project is built;
#  - bash completion for the exporter, generated from the built program's own
#    answers (packaging/make_completion.py);
#  - the copyright file (from LICENSE) and the Debian changelog.
# Included from the top CMakeLists.txt after both programs are defined.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(VV_GZIP gzip REQUIRED)
set(vv_out ${CMAKE_BINARY_DIR}/packaging)
set(vv_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/vedoze-vaderuve)
file(MAKE_DIRECTORY ${vv_out})
# The exporter runs during the build; in a sanitized build Mesa's own
# allocations would read as leaks at its exit.
set(vv_run_exporter ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0)

# The changelog's newest entry must be this version, or the package would
# claim a history it does not have.
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog vv_changelog_top LIMIT_COUNT 1)
if(NOT vv_changelog_top MATCHES "^vedoze-vaderuve \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not start with version ${PROJECT_VERSION}: ${vv_changelog_top}")
endif()

# gzip -9n: no name or time stamp inside, so the same input gives the same bytes.
set(vv_generated)
foreach(source doc/vedoze-vaderuve.1 doc/vedoze-vaderuve-export.1 packaging/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${vv_out}/${name}.gz
    COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$2\"" ${VV_GZIP} ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${vv_out}/${name}.gz
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND vv_generated ${vv_out}/${name}.gz)
endforeach()

# The icon: the polar cap pushed through the corrugated sphere (t = 0.3),
# violet inside showing through yellow outside, seen from above the pole.
# One large picture is drawn; each size is cut to the surface's outline,
# scaled down (which smooths the edges at small sizes better than drawing
# small) and centred on a transparent square with a small margin.
find_program(VV_CONVERT convert REQUIRED)
set(vv_icon_master ${vv_out}/icon-1024.png)
add_custom_command(OUTPUT ${vv_icon_master}
  COMMAND ${vv_run_exporter} $<TARGET_FILE:vedoze-vaderuve-export> image --time 0.3 --patches 64
          --orbit 30,-70 --samples 4 --no-text --size 1024x1024 -o ${vv_icon_master}
  DEPENDS vedoze-vaderuve-export VERBATIM)
foreach(size 48 64 128 256 512)
  math(EXPR inner "${size} * 94 / 100")
  set(icon ${vv_out}/icons/${size}x${size}/vedoze-vaderuve.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${vv_out}/icons/${size}x${size}
    COMMAND ${VV_CONVERT} ${vv_icon_master} -transparent black -trim +repage -resize ${inner}x${inner}
            -background none -gravity center -extent ${size}x${size} -strip ${icon}
    DEPENDS ${vv_icon_master} VERBATIM)
  list(APPEND vv_generated ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

add_custom_command(OUTPUT ${vv_out}/vedoze-vaderuve-export.bash
  COMMAND ${vv_run_exporter} ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/packaging/make_completion.py
          $<TARGET_FILE:vedoze-vaderuve-export> ${vv_out}/vedoze-vaderuve-export.bash
  DEPENDS vedoze-vaderuve-export ${CMAKE_CURRENT_SOURCE_DIR}/packaging/make_completion.py VERBATIM)
list(APPEND vv_generated ${vv_out}/vedoze-vaderuve-export.bash)

# The copyright file in Debian's machine-readable form, the licence text
# indented by one space and blank lines written as " .".
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE vv_license)
string(REGEX REPLACE "\n+$" "" vv_license "${vv_license}")
string(REGEX REPLACE "^MIT License\n\n" "" vv_license "${vv_license}")
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" vv_holder "${vv_license}")
set(vv_holder "${CMAKE_MATCH_1}")
string(REPLACE "\n\n" "\n.\n" vv_license "${vv_license}")
string(REPLACE "\n" "\n " vv_license "${vv_license}")
file(WRITE ${vv_out}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: vedoze-vaderuve\n\n"
  "Files: *\n"
  "Copyright: ${vv_holder}\n"
  "License: Expat\n"
  " ${vv_license}\n")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog)

add_custom_target(vv_packaging_files ALL DEPENDS ${vv_generated})

# A stripped install (the package's) also drops the compiler's version notes,
# as Debian's own packaging tools do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program vedoze-vaderuve vedoze-vaderuve-export)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

install(FILES ${vv_out}/vedoze-vaderuve.1.gz ${vv_out}/vedoze-vaderuve-export.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/vedoze-vaderuve.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${vv_out}/vedoze-vaderuve-export.bash DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions
        RENAME vedoze-vaderuve-export)
install(FILES ${vv_out}/copyright ${vv_out}/changelog.gz DESTINATION ${vv_docdir})

# The Debian package. Its run-time dependencies come from dpkg-shlibdeps,
# which reads the libraries the programs are linked with.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vedoze-vaderuve)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vedoze Vaderuve maintainers <maintainers@users.noreply.c-seed-562225d5.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive viewer of a sphere turned inside out")
set(CPACK_PACKAGE_DESCRIPTION
    "Vedoze Vaderuve shows a sphere eversion, the sphere turned inside out\n"
    "without tearing or creasing, as an animated, lit surface. It passes\n"
    "through five stages: corrugations grow, the polar cap is pushed through,\n"
    "the sheets are twisted half a turn, the surface is released onto the\n"
    "inverted sphere and the corrugations smooth out. Every point and normal\n"
    "is computed analytically.\n"
    ".\n"
    "The desktop viewer animates or scrubs the time, changes strips, sampling\n"
    "and display modes, shows side-by-side stereo and flies the camera with the\n"
    "keyboard, a menu and the mouse. The exporter, vedoze-vaderuve-export, needs\n"
    "no display: it writes PNG pictures, MP4, WebM or GIF movies (with ffmpeg)\n"
    "and PLY, OBJ, STL, glTF or GLB meshes of any moment.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Movies are encoded by ffmpeg, run as a separate program; pictures and
# meshes need nothing more.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)
include(CPack)
