# Empties (or makes) the folder DIR: cmake -DDIR=<folder> -P FreshDirectory.cmake
if(NOT DIR)
    message(FATAL_ERROR "DIR is not set")
endif()
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
