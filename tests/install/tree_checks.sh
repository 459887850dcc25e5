# Checks shared by the install test and the package test: the files an installed Norvane must
# hold under its prefix (PREFIX/bin, PREFIX/share) and what they must say. Sourced; the caller
# defines fail().
#
#   check_installed_tree PREFIX VERSION MAN_PAGES(ON|OFF)

# roff source of a compressed manual page as plain words: no font changes, plain hyphens.
man_text() {
  zcat "$1" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\[,/&]//g' -e 's/\\(lq\|\\(rq//g'
}

# The commands norvane-tool --help lists (the first word of each entry under "Commands:").
tool_commands() {
  "$1" --help | sed -n '/^Commands:/,$p' | sed -n 's/^  \([a-z][a-z0-9-]*\) .*/\1/p'
}

check_installed_tree() {
  local prefix="$1" version="$2" man_pages="$3"
  local files=(bin/norvane bin/norvane-tool share/norvane/Help.rtf
    share/norvane/sounds/foundfax.wav share/norvane/sounds/nextsearch.wav
    share/norvane/sounds/finished.wav share/applications/norvane.desktop
    share/icons/hicolor/128x128/apps/norvane.png share/icons/hicolor/16x16/apps/norvane.png
    share/doc/norvane/copyright share/doc/norvane/changelog.gz
    share/metainfo/example.norvane.Norvane.metainfo.xml)
  if [ "$man_pages" = ON ]; then
    files+=(share/man/man1/norvane.1.gz share/man/man1/norvane-tool.1.gz)
  else
    echo "SKIP: the build made no manual pages (txt2man or help2man missing)"
  fi
  local f
  for f in "${files[@]}"; do
    [ -f "$prefix/$f" ] || fail "not installed: $f"
  done

  # What each file must say: file, then an extended regular expression one of its lines matches.
  local doc="$prefix/share/doc/norvane" meta="$prefix/share/metainfo/example.norvane.Norvane.metainfo.xml"
  local checks=(
    "share/applications/norvane.desktop|^Exec=norvane$"
    "share/applications/norvane.desktop|^Icon=norvane$"
    "share/doc/norvane/copyright|^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$"
    "share/doc/norvane/copyright|^Files: \*$"
    "share/doc/norvane/copyright|^Copyright: [0-9]{4}.* Norvane Software$"
    "share/doc/norvane/copyright|^License: [^ ]+$"
    "share/metainfo/example.norvane.Norvane.metainfo.xml|<id>example.norvane.Norvane</id>"
    "share/metainfo/example.norvane.Norvane.metainfo.xml|<summary>[^<]+</summary>"
    "share/metainfo/example.norvane.Norvane.metainfo.xml|<project_license>[^<]+</project_license>"
    "share/metainfo/example.norvane.Norvane.metainfo.xml|<url type=\"homepage\">https?://www.norvane.example</url>"
    "share/metainfo/example.norvane.Norvane.metainfo.xml|<image>https?://[^<]+</image>"
    "share/metainfo/example.norvane.Norvane.metainfo.xml|<launchable type=\"desktop-id\">norvane.desktop</launchable>"
    "share/metainfo/example.norvane.Norvane.metainfo.xml|<release version=\"$version\" date=\"[0-9-]{10}\"/>"
  )
  if [ "$man_pages" = ON ]; then
    local word
    for word in --app-dir NORVANE_APP_DIR NORVANE_CONNECT_TO NORVANE_CONNECT_TO_TLS \
        NORVANE_CA_FILE NORVANE_BROWSER_PROXY spider.mdb '~/.config/Norvane/Norvane.conf' 'html<n>.txt' \
        'html2<n>.txt' 'norvane-tool\(1\)'; do
      checks+=("share/man/man1/norvane.1.gz|^(\.TP|\.B)? *$word( |$)")
    done
    checks+=("share/man/man1/norvane-tool.1.gz|^\.SH EXAMPLES$" "share/man/man1/norvane-tool.1.gz|norvane ?\(1\)")
  fi
  local check file pattern text
  for check in "${checks[@]}"; do
    file="${check%%|*}" pattern="${check#*|}"
    case "$file" in
      *.1.gz) text="$(man_text "$prefix/$file")" ;;
      *) text="$(cat "$prefix/$file")" ;;
    esac
    grep -Eq -- "$pattern" <<<"$text" || fail "$file has no line matching: $pattern"
  done
  zcat "$doc/changelog.gz" | head -n 1 | grep -q "^norvane ($version) " ||
    fail "the newest changelog entry is not version $version"
  local main
  main="$(sed -n 's/^Categories=//p' "$prefix/share/applications/norvane.desktop" | tr ';' '\n' |
    grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility' || true)"
  [ "$main" -eq 1 ] || fail "the menu entry names $main main categories, not one"

  # Every command of the tool's --help has an example on its manual page.
  if [ "$man_pages" = ON ]; then
    local examples command
    examples="$(man_text "$prefix/share/man/man1/norvane-tool.1.gz" | sed -n '/^\.SH EXAMPLES/,/^\.SH /p')"
    for command in $(tool_commands "$prefix/bin/norvane-tool"); do
      grep -Eq "^(\.B )?norvane-tool $command( |$)" <<<"$examples" ||
        fail "norvane-tool(1) has no example of the command $command (data/man/norvane-tool.h2m)"
      grep -q "^$command" <<<"$(man_text "$prefix/share/man/man1/norvane-tool.1.gz")" ||
        fail "norvane-tool(1) does not list the command $command"
    done
  fi

  # Debian's and freedesktop's own checkers, where they are installed (scripts/setup.sh).
  if command -v desktop-file-validate >/dev/null; then
    local hints
    hints="$(desktop-file-validate "$prefix/share/applications/norvane.desktop" 2>&1)" ||
      fail "desktop-file-validate: $hints"
    [ -z "$hints" ] || fail "desktop-file-validate: $hints"
  else
    echo "SKIP: desktop-file-validate not installed"
  fi
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$meta" >/dev/null 2>&1 ||
      fail "appstreamcli validate: $(appstreamcli validate --no-net "$meta" 2>&1)"
  else
    echo "SKIP: appstreamcli not installed"
  fi
}
