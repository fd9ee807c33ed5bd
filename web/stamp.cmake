# stamp.cmake -- writes the service worker from its template, naming its cache
# by the version and the first 12 hex digits of a digest of the files it keeps.
# cmake -DTEMPLATE=sw.js -DOUTPUT=... -DVERSION=... -DFILES=a,b -DFOLDER=... -P stamp.cmake
string(REPLACE "," ";" FILES "${FILES}")
set(digests "")
foreach(file ${FILES})
  file(SHA256 ${FOLDER}/${file} digest)
  string(APPEND digests "${file} ${digest}\n")
endforeach()
string(SHA256 build_digest "${digests}")
string(SUBSTRING ${build_digest} 0 12 BUILD)
string(REPLACE ";" "\", \"" FILE_LIST "${FILES}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
