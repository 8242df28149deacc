# cmake -DINPUT=file -DOUTPUT=file.inc -P embed.cmake
# Writes the input's bytes as a comma-separated list of char values, for an array initialiser.
file(READ "${INPUT}" content HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," content "${content}")
string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){16})" "\\1\n" content "${content}")
file(WRITE "${OUTPUT}.tmp" "${content}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
