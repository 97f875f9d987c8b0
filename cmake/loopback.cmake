# Whether an update server's address names this machine only: 127.x.y.z with each number from 0 to
# 255 written without leading zeros (Windows takes other forms for host names, or reads them as
# octal), "localhost", or [::1]. Only such a build may use the public test key.
# Included, it sets TF_LOOPBACK_PATTERN. Run as a script with -DURL=<address>, it ends with an error
# when the address is not one (tools/package asks it so).
set(TF_OCTET "(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])")
set(TF_LOOPBACK_PATTERN
    "^[a-zA-Z]+://(127\\.${TF_OCTET}\\.${TF_OCTET}\\.${TF_OCTET}|localhost|\\[::1\\])(:[0-9]+)?(/.*)?$")
if(CMAKE_SCRIPT_MODE_FILE AND DEFINED URL)
    if(NOT URL MATCHES "${TF_LOOPBACK_PATTERN}")
        message(FATAL_ERROR "${URL} is not a loopback address")
    endif()
endif()
