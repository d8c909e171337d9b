#!/bin/sh
# Writes a gzipped manual page (section 1) from a program's own --help text, so
# the page says exactly what the program says. A command whose help points to
# further help with "(CMD --help)" gets that help as a section of its own.
#   man-from-help.sh PROGRAM NAME "one-line summary" VERSION OUT.1.gz
# Runs PROGRAM in the current directory: call it from an empty scratch folder.
set -eu
program=$1 name=$2 summary=$3 version=$4 out=$5

# troff: backslashes literal, no line read as a request, minus signs as such.
escape() {
  sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\([.']\)/\\\\\&\1/"
}
# Qt's parser names the program by the path it was started with.
help_of() {
  "$program" "$@" --help 2>&1 | sed -e "s|$program|$name|g"
}

main_help=$(help_of)
[ -n "$main_help" ] || { echo "man-from-help.sh: $program --help printed nothing" >&2; exit 1; }

tmp="$out.tmp"
{
  printf '.TH %s 1 "" "%s %s" "TZ360 workstation"\n' "$(echo "$name" | tr a-z A-Z | escape)" "$name" "$version"
  printf '.SH NAME\n%s \\- %s\n' "$(echo "$name" | escape)" "$(echo "$summary" | escape)"
  printf '.SH DESCRIPTION\n.nf\n'
  printf '%s\n' "$main_help" | escape
  printf '.fi\n'
  for sub in $(printf '%s\n' "$main_help" | sed -n 's/.*(\([a-z][a-z-]*\) --help).*/\1/p' | sort -u); do
    printf '.SH "%s %s"\n.nf\n' "$(echo "$name" | tr a-z A-Z | escape)" "$(echo "$sub" | tr a-z A-Z | escape)"
    help_of "$sub" | escape
    printf '.fi\n'
  done
  printf '.SH "SEE ALSO"\n'
  case $name in
    tz360-cli) printf '\\fBtz360\\-sim\\fR(1)\n' ;;
    *) printf '\\fBtz360\\-cli\\fR(1)\n' ;;
  esac
} > "$tmp"
gzip -9n < "$tmp" > "$out"
rm -f "$tmp"
