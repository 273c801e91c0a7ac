# Turns the replay page into a C++ source (cmake -DINPUT=page.html -DOUTPUT=page.cpp -P
# embed.cmake): the bytes as a character array, so any text survives unescaped and no
# string literal grows past what compilers must accept.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Made from sparring/report/replay/replay.html by embed.cmake beside it; do not edit.\n"
  "#include \"sparring/report/replay_page.h\"\n\n"
  "namespace sparring {\n\nnamespace {\nconst char kPage[] = {\n${bytes}'\\0'};\n}  // namespace\n\n"
  "std::string_view replayPageTemplate() {\n    return {kPage, ${size}};\n}\n\n"
  "}  // namespace sparring\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
