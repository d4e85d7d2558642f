# The version resource of Quillory Window: one place for its texts, which
# the protected texts are keyed with (docs/protected-texts.md).
set(QUILLORY_VERSION_NUMBERS 3 0 0 0)
string(REPLACE ";" "." QUILLORY_VERSION "${QUILLORY_VERSION_NUMBERS}")
string(REPLACE ";" "," QUILLORY_VERSION_COMMAS "${QUILLORY_VERSION_NUMBERS}")
set(QUILLORY_PRODUCT_NAME "Quillory")
set(QUILLORY_COMPANY_NAME "Velmora")
set(QUILLORY_FILE_DESCRIPTION "Quillory Window")
set(QUILLORY_INTERNAL_NAME "Quillory Window")
set(QUILLORY_ORIGINAL_FILENAME "Quillory Window.exe")
set(QUILLORY_LEGAL_COPYRIGHT "Copyright (C) Velmora. All rights reserved.")

# NAME=VALUE for each text, as the protected-text generator takes them.
set(QUILLORY_VERSION_TEXTS
  "ProductName=${QUILLORY_PRODUCT_NAME}"
  "ProductVersion=${QUILLORY_VERSION}"
  "FileDescription=${QUILLORY_FILE_DESCRIPTION}"
  "FileVersion=${QUILLORY_VERSION}"
  "InternalName=${QUILLORY_INTERNAL_NAME}"
  "OriginalFilename=${QUILLORY_ORIGINAL_FILENAME}"
  "CompanyName=${QUILLORY_COMPANY_NAME}"
  "LegalCopyright=${QUILLORY_LEGAL_COPYRIGHT}")

set(QUILLORY_PYTHON /usr/bin/python3 CACHE FILEPATH "Debian's Python 3 with python3-cryptography, for build steps")

# quillory_version_resource(target) gives the target the program's version
# resource: Quillory Window itself, and test programs that open the
# protected texts.
function(quillory_version_resource target)
  set(rc "${CMAKE_BINARY_DIR}/generated/QuilloryVersion.rc")
  configure_file("${CMAKE_SOURCE_DIR}/cmake/QuilloryVersion.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()
