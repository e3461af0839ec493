# Turns a file into a C++ function that returns its bytes.
# Usage: cmake -DIN=file -DOUT=file.cpp -DFUNCTION=name -DHEADER=path/of/header.h -P EmbedFile.cmake
file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" hexlen)
math(EXPR size "${hexlen} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
get_filename_component(name "${IN}" NAME)
set(body "// Generated from ${name} by app/resources/EmbedFile.cmake. Do not edit.\n#include \"${HEADER}\"\n\nnamespace lq {\n\nnamespace {\nconst unsigned char kData[] = {\n    ${bytes}\n};\n}  // namespace\n\nstd::string_view ${FUNCTION}()\n{\n    return std::string_view(reinterpret_cast<const char*>(kData), ${size});\n}\n\n}  // namespace lq\n")
file(WRITE "${OUT}.tmp" "${body}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
