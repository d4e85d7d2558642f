# cmake -D SOURCE=... -D TARGET=... -P CopySetupProgram.cmake
# Copies the i686 build's Quillory Setup.exe for Quillory Window's resource;
# the file is rewritten only when it changed, so the resource is compiled
# again only then.
if(NOT EXISTS "${SOURCE}")
  message(FATAL_ERROR "${SOURCE} is missing: Quillory Window carries the 32-bit setup program, so the i686 "
                      "build comes first (./quillory.sh build does both in that order).")
endif()
file(COPY_FILE "${SOURCE}" "${TARGET}" ONLY_IF_DIFFERENT)
