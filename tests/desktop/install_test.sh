#!/usr/bin/env bash
# The installed program as a desktop user meets it: cmake --install into a
# temporary DESTDIR, the desktop entry and the metainfo through their
# validators, every icon size, then the launcher with a temporary HOME on the
# offscreen platform: a first start that makes the catalogue folder (update
# writes its nine defaults), a later start that leaves the settings alone, a
# first start with the demo books, a start through a symbolic link, a first
# start killed while update runs and the start after it, an error shown in a
# window when there is no terminal, and the Debian package with lintian.
#   install_test.sh <build folder> <cmake> <cpack>
set -euo pipefail

build=$1 cmake=$2 cpack=$3
id=example.quenfir.volumnia
export QT_QPA_PLATFORM=offscreen
unset XDG_DATA_HOME DESKTOP_STARTUP_ID

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# The value of a setting: the settings file is name, value and kind lines.
kelt_value() {
    tr -d '\r' <"$1" | awk -v key="$2" 'NR % 3 == 1 && $0 == key { getline; print; found = 1; exit }
                                        END { exit !found }'
}

# Rewrites a settings file without the named settings, or with one value set.
kelt_without() {
    local file=$1
    shift
    tr -d '\r' <"$file" | awk -v names=" $* " 'NR % 3 == 1 { name = $0 } { line[NR % 3] = $0 }
        NR % 3 == 0 && index(names, " " name " ") == 0 { printf "%s\r\n%s\r\n%s\r\n", line[1], line[2], $0 }' >"$file.new"
    mv "$file.new" "$file"
}
kelt_set() {
    tr -d '\r' <"$1" | awk -v key="$2" -v value="$3" 'NR % 3 == 2 && previous == key { $0 = value }
        { previous = $0; printf "%s\r\n", $0 }' >"$1.new"
    mv "$1.new" "$1"
}

# Runs the launcher in the background and ends Volumnia the orderly way once
# it is up: its process has become Volumnia and catches SIGTERM, which it does
# only when its windows are made. Fails unless Volumnia then ends with 0.
volumnia_up() {
    local caught
    [ "$(cat "/proc/$1/comm" 2>/dev/null)" = Volumnia ] || return 1
    caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status" 2>/dev/null) && [ -n "$caught" ] &&
        (((0x$caught >> 14) & 1))
}
run_launcher() {
    local home=$1 status
    shift
    HOME=$home "${launcher:-$prefix/bin/volumnia-start}" "$@" &
    pid=$!
    for _ in $(seq 600); do
        volumnia_up "$pid" && break
        kill -0 "$pid" 2>/dev/null || { wait "$pid" || true; pid=; fail "the launcher ended before Volumnia was up"; }
        sleep 0.1
    done
    volumnia_up "$pid" || fail "Volumnia was not up after a minute (an error box at its start?)"
    kill -TERM "$pid"
    status=0
    wait "$pid" || status=$?
    pid=
    [ "$status" = 0 ] || fail "Volumnia ended with $status after SIGTERM"
}

# --- Install.
DESTDIR=$work/root "$cmake" --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log" >&2; fail "cmake --install"; }
prefix=$work/root/usr
data=$prefix/share/volumnia
for file in bin/Volumnia bin/volumnia-start bin/volumnia-csv libexec/volumnia/update share/volumnia/template/volumnia.kelt \
    share/volumnia/demo/volumnia.kelt share/volumnia/demo/books.orbl share/volumnia/volumnia.pdf \
    share/man/man1/volumnia-start.1.gz share/applications/$id.desktop share/metainfo/$id.metainfo.xml; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
# The printing module where the installed program looks for it: the folder
# it names (a UTF-16 text) relative to its own.
module_dir=$(strings -e l -n 6 "$prefix/bin/Volumnia" | grep -m1 -x '\.\./.*/volumnia/modules/') ||
    fail "the program names no folder of its printing module"
module=$(realpath -m --relative-to="$prefix" "$prefix/bin/${module_dir}volumnia-print.so")
[ -f "$prefix/$module" ] || fail "no printing module in bin/$module_dir"
# Only our own names in bin: no generic one like update.
for file in "$prefix/bin"/*; do
    case $(basename "$file") in
        Volumnia | volumnia-*) ;;
        *) fail "bin holds $(basename "$file")" ;;
    esac
done

# --- Desktop entry and metainfo.
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/applications/$id.desktop")
[ -x "$prefix/bin/$exec_line" ] || fail "the desktop entry runs $exec_line, which is not installed in bin"
[ "$(sed -n 's/^Icon=//p' "$prefix/share/applications/$id.desktop")" = "$id" ] || fail "the desktop entry's icon"

# --- Icons: a PNG of each size, its header giving that size, and the SVG.
icons=$prefix/share/icons/hicolor
[ -f "$icons/scalable/apps/$id.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png=$icons/${size}x${size}/apps/$id.png
    [ -f "$png" ] || fail "no icon of $size pixels"
    # Signature, then the IHDR chunk: width and height as 32-bit big-endian.
    header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
    [ "${header:0:16}" = 89504e470d0a1a0a ] || fail "$png is no PNG"
    [ $((16#${header:32:8})) = "$size" ] && [ $((16#${header:40:8})) = "$size" ] ||
        fail "$png is $((16#${header:32:8})) x $((16#${header:40:8})) pixels"
done

# --- First start: an empty catalogue. The template here lacks update's nine
# settings, so they can only have come from update.
nine=(AlwaysOnTop "false" req_orblversion "1.4" req_keltversion "1.1" orbl_alias0 "Book title"
    orbl_alias1 "Book author" orbl_alias2 "Publisher" pcol1 "Book title" pcol2 "Book author" pcol3 "Publisher")
kelt_without "$data/template/volumnia.kelt" AlwaysOnTop req_orblversion req_keltversion orbl_alias0 orbl_alias1 \
    orbl_alias2 pcol1 pcol2 pcol3
mkdir "$work/home"
run_launcher "$work/home"
folder=$work/home/.local/share/volumnia
[ -f "$folder/volumnia.kelt" ] || fail "no settings file in $folder"
for ((i = 0; i < ${#nine[@]}; i += 2)); do
    value=$(kelt_value "$folder/volumnia.kelt" "${nine[i]}") || fail "update did not write ${nine[i]}"
    [ "$value" = "${nine[i + 1]}" ] || fail "${nine[i]} is \"$value\", not \"${nine[i + 1]}\""
done
[ -f "$folder/books.orbl" ] && [ ! -s "$folder/books.orbl" ] || fail "the new database is not empty"
[ "$(kelt_value "$folder/volumnia.kelt" orbl_itemcount)" = 0 ] || fail "Volumnia did not load the empty database"
[ "$(readlink -f "$folder/volumnia.pdf")" = "$(readlink -f "$data/volumnia.pdf")" ] || fail "Help finds no manual"
for leftover in "$work/home/.local/share"/.volumnia-first-start.*; do
    [ ! -e "$leftover" ] || fail "the first start left $leftover"
done

# --- A later start only starts Volumnia: update would reset AlwaysOnTop.
kelt_set "$folder/volumnia.kelt" AlwaysOnTop true
run_launcher "$work/home"
[ "$(kelt_value "$folder/volumnia.kelt" AlwaysOnTop)" = true ] || fail "a later start ran update again"

# --- First start with the demo books, in XDG_DATA_HOME.
mkdir "$work/home2"
XDG_DATA_HOME=$work/xdg run_launcher "$work/home2" --demo
folder=$work/xdg/volumnia
books=$(($(wc -l <"$data/demo/books.orbl") / 11))
[ "$(kelt_value "$folder/volumnia.kelt" orbl_itemcount)" = "$books" ] || fail "the demo catalogue lacks its $books books"
[ "$(kelt_value "$folder/volumnia.kelt" CurrentIndex)" = 42 ] || fail "the demo catalogue lost its last book number"
[ ! -e "$work/home2/.local" ] || fail "the demo start ignored XDG_DATA_HOME"

# --- Through a symbolic link, as from ~/bin.
mkdir "$work/home3" "$work/links"
ln -s "$prefix/bin/volumnia-start" "$work/links/volumnia-start"
launcher=$work/links/volumnia-start run_launcher "$work/home3"
[ -f "$work/home3/.local/share/volumnia/volumnia.kelt" ] || fail "the launcher through a link made no catalogue"

# --- A first start killed while update runs leaves its folder aside; the
# next start removes it. A stand-in update that waits holds the first start
# there until it is killed, with everything it started.
mkdir "$work/home4"
share=$work/home4/.local/share
mv "$prefix/libexec/volumnia/update" "$work/update"
printf '#!/bin/sh\nexec sleep 60\n' >"$prefix/libexec/volumnia/update"
chmod +x "$prefix/libexec/volumnia/update"
HOME=$work/home4 setsid "$prefix/bin/volumnia-start" </dev/null &
killed=$!
for _ in $(seq 200); do
    pgrep -s "$killed" -x sleep >/dev/null && break
    sleep 0.05
done
pgrep -s "$killed" -x sleep >/dev/null || fail "the first start did not reach update"
kill -KILL -- "-$killed"
wait "$killed" || true
mv "$work/update" "$prefix/libexec/volumnia/update"
staging=$(compgen -G "$share/.volumnia-first-start.*") || fail "the killed first start left no folder aside"
[ ! -e "$share/volumnia/volumnia.kelt" ] || fail "the killed first start left a settings file"
run_launcher "$work/home4"
[ ! -e "$staging" ] || fail "the start after a killed one left $staging"
[ -f "$share/volumnia/volumnia.kelt" ] || fail "the start after a killed one made no catalogue"

# --- An error with no terminal, as from the menu, is shown in a window. A
# stand-in for the message program records what it was given; the real one
# shows its window and waits (offscreen) until it is closed.
mkdir -p "$work/home5/.local/share/volumnia"
: >"$work/home5/.local/share/volumnia/books.orbl"
message=$prefix/libexec/volumnia/launcher-message
mv "$message" "$work/launcher-message"
printf '#!/bin/sh\nprintf "%%s" "$1" >"%s/shown"\n' "$work" >"$message"
chmod +x "$message"
! HOME=$work/home5 DISPLAY=:99 "$prefix/bin/volumnia-start" </dev/null 2>"$work/stderr" ||
    fail "the launcher made a settings file for a database without one"
mv "$work/launcher-message" "$message"
grep -q "holds books.orbl but no volumnia.kelt" "$work/stderr" || fail "the error did not reach standard error"
grep -q "^volumnia-start: .*holds books.orbl but no volumnia.kelt" "$work/shown" ||
    fail "the error was not shown in a window: $(cat "$work/shown" 2>/dev/null)"
status=0
timeout 5 "$message" "volumnia-start: a test" || status=$?
[ "$status" = 124 ] || fail "launcher-message ended with $status instead of showing its window"

# --- The Debian package.
"$cpack" -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$work/package/volumnia_2.1-1_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/package")"
depends=$(dpkg-deb -f "$deb" Depends)
for package in fonts-wine libqt6widgets6 libqt6printsupport6 libjpeg62-turbo; do
    grep -q "\b$package\b" <<<"$depends" || fail "the package does not depend on $package: $depends"
done
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/Volumnia ./usr/bin/volumnia-start ./usr/bin/volumnia-csv ./usr/libexec/volumnia/update \
    "./usr/$module" ./usr/share/applications/$id.desktop ./usr/share/volumnia/volumnia.pdf; do
    grep -q " $file\$" <<<"$contents" || fail "the package lacks $file"
done
for file in ./usr/share/doc/volumnia/changelog.Debian.gz ./usr/share/man/man1/Volumnia.1.gz \
    ./usr/share/man/man1/volumnia-csv.1.gz ./usr/share/man/man1/volumnia-start.1.gz; do
    grep -q " $file\$" <<<"$contents" || fail "the package lacks $file"
done
# lintian's errors and warnings; the informational tags are not counted.
lintian_out=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1) ||
    fail "lintian on the package:
$lintian_out"
echo "install test passed"
