# Writes the C++ source that carries a text file as a character array:
#   cmake -DINPUT=file.txt -DOUTPUT=file.cpp -DSYMBOL=name -P embed_text.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('[^']+',){16})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <cstddef>\n"
  "extern const char ${SYMBOL}[];\n"
  "extern const std::size_t ${SYMBOL}_size;\n"
  "const char ${SYMBOL}[] = {\n    ${bytes}'\\0'};\n"
  "const std::size_t ${SYMBOL}_size = ${size};\n")
