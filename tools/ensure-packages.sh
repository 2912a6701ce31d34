# Sourced by ./test and ./run: installs the Debian packages the build needs
# when some are missing (as root), or names them and stops.
# zlib1g-dev: volumnia-csv zips and unzips Tellico data files; unzip: the
# test that Info-ZIP reads them as volumnia-csv does.
# libcups2-dev: the printer's own resolution; poppler-utils: the printing tests
# read the PDF files they print back with pdftotext and pdftoppm. librsvg2-bin
# renders the application icon; the install test validates the desktop entry
# and metainfo, builds the Debian package (dpkg-shlibdeps) and checks it with
# lintian. fonts-wine: free Tahoma and MS Sans Serif with the metrics the
# windows and printing are laid out for; fonts-dejavu-core: the one face the
# manual's pictures are drawn in, so they come out the same on every machine.
# acl: setfacl, for the test of a file with an ACL. The last line is the
# real-desktop test's: an X server, a window
# manager, the tools that drive and read windows, and a D-Bus session with the
# accessibility bus. weston and qt6-wayland: the Wayland test's compositor and
# Qt's wayland platform. cups-daemon, cups-client and cups-filters: the print
# server tier's private cupsd, its queue tools, and the generic PDF printer
# description and filters its queues print through. chromium: the browser
# tier opens the web catalogue headless (tests/peers/chromium.py).
# syncthing: the sync tier runs two instances on loopback and checks the
# conflict copies they make. libzxing-dev: zxing-cpp, which reads a book's
# barcode from a picture for the scan line.
# tellico and libreoffice-calc-nogui: the real-program tier (tests/peers)
# opens and saves volumnia-csv's files in them.
VOLUMNIA_PACKAGES=(cmake ninja-build g++ qt6-base-dev libjpeg-dev zlib1g-dev unzip libcups2-dev libgtest-dev poppler-utils xvfb xauth
    librsvg2-bin desktop-file-utils appstream dpkg-dev fonts-wine fonts-dejavu-core lintian acl
    openbox xdotool x11-utils dbus-daemon at-spi2-core python3-pyatspi
    weston qt6-wayland cups-daemon cups-client cups-filters
    chromium
    syncthing
    libzxing-dev
    tellico libreoffice-calc-nogui)
# The checks CI runs besides the suite (.ci/run): the format check, the
# static analyser and the build with Make.
VOLUMNIA_CHECK_PACKAGES=(clang-format cppcheck make)

ensure_packages() {
    local missing=() package
    for package in "${VOLUMNIA_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them with: sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
