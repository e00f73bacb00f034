# Writes the tree a static web server publishes for the live update:
#   imaging/tiff/orvane/liveupdate.txt  version, installer size, news lines
#   imaging/tiff/orvane/installer.exe   the program itself
#   imaging/tiff/orvane.html            the product page
# Called as: cmake -DEXE=... -DOUT=... -DVERSION=... -DHOST=... -DNEWS=... -DPAGE=... -P
file(MAKE_DIRECTORY ${OUT}/imaging/tiff/orvane)
file(COPY_FILE ${EXE} ${OUT}/imaging/tiff/orvane/installer.exe)
file(SIZE ${EXE} INSTALLER_SIZE)
file(READ ${NEWS} news)
string(REPLACE "ORVANE_WEB_HOST" "${HOST}" news "${news}")
string(REPLACE "\r" "" news "${news}")
string(REPLACE "\n" "\r\n" news "${news}")
file(WRITE ${OUT}/imaging/tiff/orvane/liveupdate.txt "${VERSION}\r\n${INSTALLER_SIZE}\r\n${news}")
set(ORVANE_VERSION ${VERSION})
configure_file(${PAGE} ${OUT}/imaging/tiff/orvane.html @ONLY)
