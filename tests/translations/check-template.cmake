# Run as a test after the build: the translation template holds one text from each part of the
# panel and from each program, so a text that slips out of tr() again is noticed.
file(READ "${TEMPLATE}" template)
set(missing)
foreach(text IN ITEMS
        "SET Date/Time"                                # the layout table
        "Find clocks on the network"                   # the find dialog
        "The file was left as it was."                 # the window's messages
        "The module at %1 is %2"                       # the module's words
        "there is no such file"                        # the settings file
        "no command given (see --help)"                # dawnbell-send
        "Address to listen on (default %1)."           # dawnbell-sim
        "cannot write to standard output: %1; send the output elsewhere") # the last output
    string(FIND "${template}" "<source>${text}</source>" at)
    if(at EQUAL -1)
        list(APPEND missing "${text}")
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "not in ${TEMPLATE}: ${missing}")
endif()
