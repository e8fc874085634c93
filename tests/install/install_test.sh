#!/usr/bin/env bash
# Installs a build into a fresh staging folder with `cmake --install` and checks
# what a desktop needs: the programs, the menu entry, the package type, the
# icon and zvk's manual page, each in place, valid, and agreeing with the
# others and with the installed zvk.
#
# usage: install_test.sh CMAKE BUILD_DIR WITH_WINDOW(0|1) VERSION
set -uo pipefail

cmake=$1 build=$2 with_window=$3 version=$4
type=application/x-zvk-package

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for tool in desktop-file-validate xmllint update-mime-database gio groff; do
  if ! command -v "$tool" >/dev/null; then
    echo "FAIL: $tool is not installed (scripts/setup.sh installs it)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/stage log=$work/install.log samples=$work/samples
mkdir "$stage" "$samples"

if ! "$cmake" --install "$build" --prefix "$stage" >"$log" 2>&1; then
  cat "$log" >&2
  echo "FAIL: cmake --install failed" >&2
  exit 1
fi

# --- exactly the expected files, programs executable, data not -----------------
programs=(bin/zvk)
[ "$with_window" = 1 ] && programs+=(bin/quorvane)
entry=share/applications/quorvane.desktop
mime=share/mime/packages/quorvane-zvk.xml
icon=share/icons/hicolor/scalable/apps/quorvane.svg
manual=share/man/man1/zvk.1
data=("$entry" "$mime" "$icon" "$manual")

expected=$(printf '%s\n' "${programs[@]}" "${data[@]}" | sort)
installed=$(cd "$stage" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
if [ "$expected" != "$installed" ]; then
  fail "installed files differ from the expected ones (< expected, > installed):"
  diff <(echo "$expected") <(echo "$installed") >&2
fi
for f in "${programs[@]}"; do
  if ! [ -f "$stage/$f" ] || ! [ -x "$stage/$f" ]; then fail "$f is not an executable file"; fi
done
for f in "${data[@]}"; do
  [ -f "$stage/$f" ] || { fail "$f is missing"; continue; }
  [ -x "$stage/$f" ] && fail "$f is executable"
done
if [ "$with_window" = 0 ] && [ -e "$stage/bin/quorvane" ]; then
  fail "bin/quorvane is installed although the window was not built"
fi

# --- the installed zvk runs, and says the project's version -----------------------
if [ -x "$stage/bin/zvk" ]; then
  got=$("$stage/bin/zvk" --version 2>&1)
  rc=$?
  [ $rc -eq 0 ] || fail "installed zvk --version exited with $rc: $got"
  [ "$got" = "$version" ] || fail "installed zvk --version says '$got', the project is $version"
fi

# --- the menu entry ----------------------------------------------------------------
if [ -f "$stage/$entry" ]; then
  out=$(desktop-file-validate --no-hints "$stage/$entry" 2>&1)
  rc=$?
  if [ $rc -ne 0 ] || [ -n "$out" ]; then fail "desktop-file-validate (exit $rc): $out"; fi

  key() { sed -n "/^\[Desktop Entry\]/,/^\[/{s/^$1=//p}" "$stage/$entry"; }
  [ "$(key Type)" = Application ] || fail "$entry: Type is '$(key Type)'"
  [ "$(key Terminal)" = false ] || fail "$entry: Terminal is '$(key Terminal)'"
  exec_line=$(key Exec)
  [ "$exec_line" = quorvane ] || fail "$entry: Exec is '$exec_line', the window takes no arguments"
  if [ "$with_window" = 1 ] && [ ! -x "$stage/bin/${exec_line%% *}" ]; then
    fail "$entry: Exec names '${exec_line%% *}', which is not installed in bin/"
  fi
  icon_name=$(key Icon)
  [ -f "$stage/share/icons/hicolor/scalable/apps/$icon_name.svg" ] ||
    fail "$entry: Icon '$icon_name' has no installed icon of that name"
  mime_types=$(key MimeType)
  [ "$mime_types" = "$type;" ] || fail "$entry: MimeType is '$mime_types', expected '$type;'"
  IFS=';' read -ra listed <<<"$mime_types"
  for t in "${listed[@]}"; do
    [ -n "$t" ] || continue
    grep -qF "type=\"$t\"" "$stage"/share/mime/packages/*.xml ||
      fail "$entry: MimeType $t is declared by no installed mime package"
  done
fi

# --- the package type --------------------------------------------------------------
if [ -f "$stage/$mime" ]; then
  out=$(xmllint --noout "$stage/$mime" 2>&1) || fail "$mime is not well-formed: $out"
  # Build the type database as a desktop would and look at the glob it made:
  # "*.ZVK" and only that, matched case-sensitively, so "x.zvk" is not claimed.
  # (The database repeats a case-sensitive glob without its flag for old
  # readers; current ones keep the first line.)
  out=$(XDG_DATA_DIRS=$stage/share update-mime-database "$stage/share/mime" 2>&1)
  rc=$?
  if [ $rc -ne 0 ] || [ -n "$out" ]; then fail "update-mime-database (exit $rc): $out"; fi
  globs=$(grep -F ":$type:" "$stage/share/mime/globs2" 2>/dev/null)
  [ "$globs" = "50:$type:*.ZVK:cs"$'\n'"50:$type:*.ZVK" ] ||
    fail "globs for $type are '$globs', expected '*.ZVK' with the flag 'cs'"
  grep -q '^[^#]*:\*\.zvk\(:\|$\)' "$stage/share/mime/globs2" 2>/dev/null &&
    fail "a glob claims lower-case *.zvk"
  grep -qF 'ZVK package' "$stage/share/mime/${type}.xml" 2>/dev/null ||
    fail "the built type $type has no comment 'ZVK package'"

  # What a file manager sees, through the database just built: upper-case
  # .ZVK names a package, other spellings do not.
  for name in x.ZVK x.zvk x.Zvk x.ZVK.txt; do
    printf 'not a real package' >"$samples/$name"
    got=$(XDG_DATA_HOME=$stage/share XDG_DATA_DIRS=$stage/share:/usr/share \
      gio info -a standard::content-type "$samples/$name" 2>&1 | sed -n 's/^ *standard::content-type: //p')
    if [ "$name" = x.ZVK ]; then
      [ "$got" = "$type" ] || fail "$name is seen as '$got', not $type"
    else
      if [ -z "$got" ] || [ "$got" = "$type" ]; then fail "$name is seen as '$got'"; fi
    fi
  done
fi

# --- the icon ------------------------------------------------------------------------
if [ -f "$stage/$icon" ]; then
  out=$(xmllint --noout "$stage/$icon" 2>&1) || fail "$icon is not well-formed: $out"
  root=$(xmllint --xpath 'local-name(/*)' "$stage/$icon" 2>/dev/null)
  [ "$root" = svg ] || fail "$icon: root element is '$root', not svg"
fi

# --- zvk's manual page -------------------------------------------------------------
if [ -f "$stage/$manual" ]; then
  out=$(groff -ww -z -man "$stage/$manual" 2>&1)
  [ -z "$out" ] || fail "groff warns about $manual: $out"
  grep -q "^\.TH ZVK 1 .*\"Quorvane $version\"" "$stage/$manual" ||
    fail "$manual: its .TH line does not name Quorvane $version"
  # Wide lines and no hyphenation, so that every option stays whole.
  text=$(groff -man -Tascii -rLL=1000n -rHY=0 -P-cbou "$stage/$manual" 2>/dev/null)
  examples=$(sed -n '/^EXAMPLES$/,/^[A-Z][A-Z ]*$/p' <<<"$text")
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES; do
    grep -qx "$section" <<<"$text" || fail "$manual has no $section section"
  done

  # The page and the installed program name the same subcommands, and every
  # option the program offers is on the page.
  page_commands=$(awk '/^\.SY zvk$/ { getline; if ($1 == ".B" && $2 ~ /^[a-z]+$/) print $2 }' \
    "$stage/$manual" | sort -u)
  if [ -x "$stage/bin/zvk" ]; then
    program_commands=$("$stage/bin/zvk" --help 2>/dev/null |
      awk '/^[A-Za-z]/ { in_list = ($0 ~ /^Subcommands:/); next } in_list && /^  [a-z]/ { print $1 }' | sort -u)
    [ -n "$program_commands" ] || fail "no subcommands found in zvk --help"
    [ "$page_commands" = "$program_commands" ] ||
      fail "subcommands on the page ($(tr '\n' ' ' <<<"$page_commands")) differ from" \
        "zvk --help ($(tr '\n' ' ' <<<"$program_commands"))"
    for command in $program_commands; do
      grep -qE "(^|[ ;&|])zvk $command( |\$)" <<<"$examples" || fail "$manual: no example of 'zvk $command'"
      help=$("$stage/bin/zvk" "$command" --help 2>&1) || fail "zvk $command --help failed"
      options=$(awk '/^[A-Za-z]/ { in_list = ($0 ~ /^Options:/); next } in_list && /^  -/ { print $1 }' <<<"$help" |
        tr ',' '\n' | sort -u)
      [ -n "$options" ] || fail "no options found in zvk $command --help"
      for option in $options; do
        grep -qE -- "(^|[^-[:alnum:]])$option([^-[:alnum:]]|\$)" <<<"$text" ||
          fail "$manual does not describe '$option' of zvk $command"
      done
    done
  fi
fi

if [ $failures -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installed layout OK (window: $with_window)"
