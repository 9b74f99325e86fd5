# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Writes the site's service worker: the list of its files and a cache name
# made from their content, so that every new build replaces the kept site.
#
# cmake -DSITE=<folder> -DFILES=<a,b,...> -DTEMPLATE=<sw.js.in> -DOUTPUT=<sw.js> -P site_worker.cmake
string(REPLACE "," ";" FILES "${FILES}")
set(hashes "")
set(quoted "\"./\"")
foreach(name IN LISTS FILES)
  file(SHA256 ${SITE}/${name} hash)
  string(APPEND hashes "${name} ${hash}\n")
  string(APPEND quoted ", \"${name}\"")
endforeach()
string(SHA256 SITE_HASH "${hashes}")
string(SUBSTRING ${SITE_HASH} 0 16 SITE_HASH)
set(SITE_FILES "${quoted}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
