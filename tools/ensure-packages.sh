# Sourced by ./test and ./run: installs the Debian packages the build needs
# when some are missing (as root), or names them and stops.
# fonts-wine: free Tahoma and MS Sans Serif with the metrics the windows and
# printing are laid out for.
VOLUMNIA_PACKAGES=(cmake ninja-build g++ qt6-base-dev libjpeg-dev libgtest-dev xvfb xauth fonts-wine)

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
