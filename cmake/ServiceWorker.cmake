# Writes the page's service worker into the built page, with each file that it
# keeps and its SHA-256 sum, and a cache named after them all, so that any
# change of any file makes a new cache and a new service worker:
#   cmake -DSOURCE=web/service-worker.js -DPAGE=<page folder> -DFILES=<a,b,...> -P ServiceWorker.cmake
string(REPLACE "," ";" files "${FILES}")
set(sums)
foreach(file IN LISTS files)
    file(SHA256 ${PAGE}/${file} sum)
    list(APPEND sums "\"${file}\": \"${sum}\"")
endforeach()
list(JOIN sums ", " sums)
string(SHA256 release "${sums}")
string(SUBSTRING ${release} 0 16 release)
file(READ ${SOURCE} text)
string(REPLACE "{/* the build fills this in */}"
    "{ \"cache\": \"sorvane-${release}\", \"files\": { ${sums} } }" text "${text}")
file(WRITE ${PAGE}/service-worker.js "${text}")
