# Run by cpack on the staged files of each package, before it builds them. The .deb keeps
# the prefix at /opt/ostrel but puts what the system looks for where it looks: the udev rule
# in /lib/udev/rules.d, the manual pages and the completion under /usr/share, pid.ini as a
# conffile in /etc/ostrel (linked from the program folder), and ostrel and tandrel on the
# PATH as links in /usr/bin. Each package gets its copyright file, changelog and the lintian
# override that says why it is in /opt.
if(CPACK_GENERATOR STREQUAL "DEB")
  foreach(component ${CPACK_COMPONENTS_ALL})
    string(TOUPPER ${component} upper)
    set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
    set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/${component})
    set(prefix ${root}${CPACK_PACKAGING_INSTALL_PREFIX})

    if(component STREQUAL "updater")
      # <from, below the prefix>:<to, below the root>
      foreach(move lib/udev/rules.d:lib/udev/rules.d share/man:usr/share/man
                   share/bash-completion:usr/share/bash-completion bin/pid.ini:etc/ostrel/pid.ini)
        string(REPLACE ":" ";" move ${move})
        list(GET move 0 from)
        list(GET move 1 to)
        get_filename_component(parent ${root}/${to} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(RENAME ${prefix}/${from} ${root}/${to})
      endforeach()
      file(REMOVE_RECURSE ${prefix}/lib/udev)
      file(CREATE_LINK /etc/ostrel/pid.ini ${prefix}/bin/pid.ini SYMBOLIC)
      file(MAKE_DIRECTORY ${root}/usr/bin)
      foreach(program ostrel tandrel)
        file(CREATE_LINK ${CPACK_PACKAGING_INSTALL_PREFIX}/bin/${program} ${root}/usr/bin/${program}
             SYMBOLIC)
      endforeach()
    endif()

    set(doc ${root}/usr/share/doc/${package})
    file(MAKE_DIRECTORY ${doc})
    file(COPY ${CPACK_OSTREL_DEB_COPYRIGHT} DESTINATION ${doc}
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    execute_process(COMMAND gzip -9nc ${CPACK_OSTREL_DEB_CHANGELOG}
                    OUTPUT_FILE ${doc}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
    configure_file(${CPACK_OSTREL_DEB_LINTIAN_OVERRIDES}
                   ${root}/usr/share/lintian/overrides/${package} @ONLY)
  endforeach()
endif()
