# cmake -DFILE=<data file> -P RecordDigest.cmake
# Records the SHA-256 of a data file beside it, in the form sha256sum writes;
# the program loads a data file only when its contents match.
file(SHA256 ${FILE} digest)
get_filename_component(name ${FILE} NAME)
file(WRITE ${FILE}.sha256 "${digest}  ${name}\n")
