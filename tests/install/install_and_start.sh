#!/usr/bin/env bash
# Installs the build folder given as the argument into a temporary prefix, checks what lands where a
# Linux desktop looks for it, then starts the installed game from an unrelated folder (the display comes
# from the environment) and waits until it has read its pack from the prefix and runs on it.
set -euo pipefail
build=$(cd "$1" && pwd)
tmp=$(mktemp -d)
game=""
cleanup() {
  if [ -n "$game" ]; then kill -KILL "$game" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.txt"

for file in bin/brindlewick share/brindlewick/data/pack0.pak share/applications/brindlewick.desktop \
  share/icons/hicolor/scalable/apps/brindlewick.svg share/icons/hicolor/48x48/apps/brindlewick.png \
  share/icons/hicolor/256x256/apps/brindlewick.png etc/xdg/corvantis/registry.ini; do
  [ -s "$prefix/$file" ] || fail "$file was not installed"
done
[ -x "$prefix/bin/brindlewick" ] || fail "bin/brindlewick is not executable"
cmp -s "$build/bin/data/pack0.pak" "$prefix/share/brindlewick/data/pack0.pak" || fail "the installed pack differs"
grep -qx "Exec=env XDG_CONFIG_DIRS=$prefix/etc/xdg $prefix/bin/brindlewick" \
  "$prefix/share/applications/brindlewick.desktop" || fail "the desktop entry does not start the installed game"
grep -qx "Icon=brindlewick" "$prefix/share/applications/brindlewick.desktop" || fail "the desktop entry names no icon"
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$prefix/share/applications/brindlewick.desktop"
fi
grep -qx "InstallPath=$prefix/share/brindlewick" "$prefix/etc/xdg/corvantis/registry.ini" ||
  fail "the registry file does not hold the install path"

# Installing again replaces the game's section and keeps any other.
printf '[SOFTWARE\\Other Maker\\Other Game]\nInstallPath=/opt/other\n' >>"$prefix/etc/xdg/corvantis/registry.ini"
cmake --install "$build" --prefix "$prefix" >/dev/null
[ "$(grep -c '^InstallPath=' "$prefix/etc/xdg/corvantis/registry.ini")" = 2 ] || fail "a second install doubled the section"
grep -qx "InstallPath=/opt/other" "$prefix/etc/xdg/corvantis/registry.ini" || fail "another section was lost"

# The installed game, started from elsewhere with a user folder of its own.
mkdir -p "$tmp/elsewhere"
cd "$tmp/elsewhere"
export XDG_CONFIG_DIRS=$prefix/etc/xdg XDG_DATA_HOME=$tmp/user XDG_CONFIG_HOME=$tmp/config HOME=$tmp/home
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
"$prefix/bin/brindlewick" >"$tmp/stdout.txt" 2>&1 &
game=$!
log="$tmp/user/Pellucan Games/Brindlewick/Brindlewick.html"
for _ in $(seq 1 240); do
  if ! kill -0 "$game" 2>/dev/null; then
    cat "$tmp/stdout.txt" >&2
    [ -f "$log" ] && sed -e 's/<[^>]*>//g' "$log" | tail -n 20 >&2
    fail "the installed game ended"
  fi
  # The log names the pack in lower case, by the install path and the data folder ("...\data\pack0.pak").
  if [ -f "$log" ] && grep -qiF "Pack file $prefix/share/brindlewick" "$log" &&
    grep -q "Level Manager: Found" "$log"; then
    sleep 3
    kill -0 "$game" 2>/dev/null || fail "the installed game ended after reading its data"
    echo "The installed game started on the pack in $prefix/share/brindlewick"
    exit 0
  fi
  sleep 0.5
done
[ -f "$log" ] && sed -e 's/<[^>]*>//g' "$log" | tail -n 20 >&2
fail "the installed game did not come up within two minutes"
