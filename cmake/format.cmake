# `format` formats every source; `check-format` fails on any that is not.
add_custom_target(format
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/format.sh
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Formatting the sources"
    VERBATIM)
add_custom_target(check-format
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/format.sh --check
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Checking the sources' format"
    VERBATIM)
