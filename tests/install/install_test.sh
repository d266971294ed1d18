#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix, then uses the installed programs
# from another folder as a user who cannot write to the prefix (nobody, when
# run as root): settings from the per-user file, pictures from share/korund,
# the preferences' write path, a library file argument. Checks the ELF names
# and run paths, builds a program against the installed libraries with
# pkg-config, and validates the desktop entry, the AppStream metainfo, the
# MIME package, the manual pages and the bash completion.
#
# Usage: install_test.sh BUILD_DIR VERSION CXX SANITIZE(0|1)
set -euo pipefail

build=$(realpath "$1")
version=$2
cxx=$3
sanitize=$4

tmp=$(mktemp -d /tmp/korund-install-XXXXXX)
cleanup() { chmod -R u+w "$tmp" 2>/dev/null || true; rm -rf "$tmp"; }
trap cleanup EXIT
chmod 755 "$tmp"
prefix=$tmp/prefix
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; if ! "$@"; then fail "$what"; fi; }
# Runs a command silently; its output is shown when it fails.
quiet() { local out; if ! out=$("$@" 2>&1); then echo "$out" >&2; return 1; fi; }

cmake --install "$build" --prefix "$prefix" >/dev/null

# ---- every file in its place
for f in bin/Korund bin/korund-cli \
    lib/libcLongReal.so.1 lib/libcFormulaEngine.so.1 lib/libcLongReal.so lib/libcFormulaEngine.so \
    include/korund/cLongReal.h include/korund/cFormulaEngine.h \
    lib/pkgconfig/cLongReal.pc lib/pkgconfig/cFormulaEngine.pc \
    share/korund/krsplash.dat share/korund/krlogo.dat \
    share/korund/examples/physics.krc share/korund/examples/functions.krf \
    share/applications/org.example.korund.desktop share/metainfo/org.example.korund.metainfo.xml \
    share/mime/packages/korund.xml share/icons/hicolor/scalable/apps/korund.svg \
    share/man/man1/korund-cli.1 share/man/man1/Korund.1 share/bash-completion/completions/korund-cli; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
for size in 16 22 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/korund.png
  # Width and height of a PNG: big-endian words at bytes 16 and 20.
  dims=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | tr -s ' ' | sed 's/^ //')
  [ "$dims" = "0 0 $((size >> 8)) $((size & 255)) 0 0 $((size >> 8)) $((size & 255))" ] ||
    fail "icon ${size}x${size}: size $dims"
done

# ---- library names and run paths: relative, never the build folder
soname() { readelf -d "$1" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p'; }
runpath() { readelf -d "$1" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p'; }
check "SONAME of cLongReal" [ "$(soname "$prefix/lib/libcLongReal.so.1")" = libcLongReal.so.1 ]
check "SONAME of cFormulaEngine" [ "$(soname "$prefix/lib/libcFormulaEngine.so.1")" = libcFormulaEngine.so.1 ]
for exe in Korund korund-cli; do
  check "RUNPATH of $exe: $(runpath "$prefix/bin/$exe")" [ "$(runpath "$prefix/bin/$exe")" = '$ORIGIN/../lib' ]
done
check "RUNPATH of cFormulaEngine" [ "$(runpath "$prefix/lib/libcFormulaEngine.so.1")" = '$ORIGIN' ]
for elf in "$prefix"/bin/* "$prefix"/lib/*.so.1; do
  if readelf -d "$elf" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then fail "build folder in the run path of $elf"; fi
done

# ---- a program built against the installed libraries
cat >"$tmp/use.cpp" <<'CPP'
#include <cFormulaEngine.h>
#include <cstdio>
int main()
{
    cFormulaEngine::Init();
    {
        cFormulaEngine calc;
        calc.Parse("2^10-24");
        std::puts(static_cast<const char*>(calc.Evaluate()));
    }
    cFormulaEngine::FreeStatics();
}
CPP
flags=()
[ "$sanitize" = 1 ] && flags=(-fsanitize=address,undefined)
if ! PKG_CONFIG_PATH=$prefix/lib/pkgconfig "$cxx" -std=c++20 "${flags[@]}" "$tmp/use.cpp" -o "$tmp/use" \
    $(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs cFormulaEngine) \
    -Wl,-rpath,"$prefix/lib"; then
  fail "a program does not build with pkg-config cFormulaEngine"
elif [ "$("$tmp/use")" != 1000 ]; then
  fail "the program built against the installed libraries does not calculate"
fi

# ---- the installed programs, used by someone who cannot write to the prefix
chmod -R a-w "$prefix"
home=$tmp/home
config=$home/config
mkdir -p "$home" "$tmp/work" "$tmp/run"
chmod 700 "$tmp/run"
user_cmd=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$home" "$tmp/work" "$tmp/run"
  user_cmd=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
fi
# Runs a command as that user in $tmp/work, with a clean environment.
as_user() {
  (cd "$tmp/work" && "${user_cmd[@]}" env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$config" \
    XDG_RUNTIME_DIR="$tmp/run" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
    ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS} "$@")
}
cli=$prefix/bin/korund-cli
gui=$prefix/bin/Korund
ini=$config/korund/Korund.ini

[ "$(id -u)" -ne 0 ] || check "the programs run as root" [ "$(as_user id -u)" != 0 ]
check "the user can write to the prefix" as_user sh -c "! touch '$prefix/bin/probe' 2>/dev/null"
check "korund-cli --version" [ "$(as_user "$cli" --version)" = "korund-cli $version" ]
check "Korund --version" [ "$(as_user "$gui" --version)" = "Korund $version" ]
check "korund-cli with default settings" [ "$(as_user "$cli" -e 255)" = 255 ]
check "korund-cli loads an installed example" \
  quiet as_user "$cli" --constants "$prefix/share/korund/examples/physics.krc" -e ':consts'

# Start-up finds the pictures in share/korund, and writes nothing.
if ! out=$(as_user env KORUND_EXIT_WHEN_SHOWN=1 "$gui" 2>&1); then
  fail "Korund does not start: $out"
fi
check "Korund wrote settings at start-up" [ ! -e "$config" ]

# The preferences write the per-user file, in a private folder.
if ! out=$(as_user env KORUND_EXIT_WHEN_SHOWN=preferences "$gui" 2>&1); then
  fail "saving the preferences failed: $out"
fi
check "preferences did not write $ini" [ -f "$ini" ]
check "the per-user folder is not private" [ "$(stat -c %a "$config/korund" 2>/dev/null)" = 700 ]
check "the per-user file lacks the keys" grep -q '^DigitsUse=6' "$ini"

# Both programs read the per-user file, and the preferences keep what is in it.
as_user sed -i 's/^OutputSys=.*/OutputSys=16/' "$ini"
check "korund-cli ignores the per-user settings" [ "$(as_user "$cli" -e 255 | tr A-F a-f)" = ff ]
as_user env KORUND_EXIT_WHEN_SHOWN=preferences "$gui" >/dev/null 2>&1 || fail "saving the preferences again"
check "the preferences did not keep the per-user settings" grep -q '^OutputSys=16' "$ini"
echo "[Calculation]" >"$tmp/work/dec.ini"
check "--ini does not win over the per-user file" [ "$(as_user "$cli" --ini dec.ini -e 255)" = 255 ]

# A per-user folder that cannot be created is reported, and the run ends.
if out=$(as_user env KORUND_EXIT_WHEN_SHOWN=preferences XDG_CONFIG_HOME="$prefix/share" "$gui" 2>&1); then
  fail "an unwritable settings folder was not reported"
fi
check "the error names the settings file: $out" grep -q "could not be written" <<<"$out"

# A library file argument is loaded as File > Open would, with its messages.
if ! out=$(as_user env KORUND_EXIT_WHEN_SHOWN=1 "$gui" "$prefix/share/korund/examples/physics.krc" 2>&1); then
  fail "Korund FILE.krc: $out"
fi
if out=$(as_user env KORUND_EXIT_WHEN_SHOWN=1 "$gui" missing.krf 2>&1); then
  fail "a missing library file was not reported"
fi
check "the missing library file's message: $out" grep -q 'Cannot open the file "missing.krf"' <<<"$out"

# ---- metadata
check "desktop-file-validate" quiet desktop-file-validate "$prefix/share/applications/org.example.korund.desktop"
check "appstreamcli validate" quiet appstreamcli validate --no-net --pedantic --no-color \
  "$prefix/share/metainfo/org.example.korund.metainfo.xml"
mime=$tmp/mime
mkdir -p "$mime/packages"
cp "$prefix/share/mime/packages/korund.xml" "$mime/packages/"
if ! out=$(XDG_DATA_HOME=$tmp update-mime-database "$mime" 2>&1 >/dev/null) || [ -n "$out" ]; then
  fail "update-mime-database: $out"
fi
for t in constants:krc functions:krf; do
  type=application/x-korund-${t%%:*}
  check "glob of $type" grep -q "^50:$type:\*\.${t##*:}$" "$mime/globs2"
  check "magic of $type" grep -qa "$type" "$mime/magic"
  check "the desktop entry does not open $type" \
    grep -q "^MimeType=.*$type;" "$prefix/share/applications/org.example.korund.desktop"
done

# ---- manual pages: formatted without warnings
for page in korund-cli Korund; do
  file=$prefix/share/man/man1/$page.1
  if ! out=$(groff -man -Tutf8 -ww -z "$file" 2>&1) || [ -n "$out" ]; then fail "$page.1: $out"; fi
  check "$page.1 has no version" grep -q "$version" "$file"
done

# ---- bash completion of korund-cli
complete_words() { # the words offered for the command line "$@" (the last word being completed)
  (cd "$prefix/share/korund/examples" && bash -c '
    source "$0"
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    _korund_cli
    printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' \
    "$prefix/share/bash-completion/completions/korund-cli" "$@")
}
check "completion of --con" [ "$(complete_words korund-cli --con)" = "--constants " ]
check "completion after --constants" [ "$(complete_words korund-cli --constants '')" = "physics.krc " ]
check "completion after --functions=" [ "$(complete_words korund-cli --functions = '')" = "functions.krf " ]
check "completion after -e" [ "$(complete_words korund-cli -e '')" = " " ]

if [ "$failures" -ne 0 ]; then
  echo "$failures install check(s) failed" >&2
  exit 1
fi
echo "install test: all checks passed"
