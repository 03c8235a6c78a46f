#!/usr/bin/env bash
# Drives the installed completion script as bash does on a Tab. Arguments:
# the tobrin binary, bash-completion's main script (its helpers), the
# completion script.
set -uo pipefail
tobrin=$1
source "$2" && source "$3" || exit 1
failed=0

# The sorted completions of a command line whose last word is being typed.
completions() {
    read -ra COMP_WORDS <<<"$1"
    [[ $1 == *' ' ]] && COMP_WORDS+=('')
    COMP_LINE=$1 COMP_POINT=${#1} COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMPREPLY=()
    _tobrin tobrin "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | sort -u | xargs
}
expect() {
    local got
    got=$(completions "$1")
    [[ $got == "$2" ]] || { echo "FAIL: \"$1\" completes to \"$got\", not \"$2\""; failed=1; }
}
sorted() { printf '%s\n' "$@" | sort -u | xargs; }

# The options and value lists of `tobrin --help`, command by command (its
# lines from "tobrin export" to "tobrin import" are export's, and so on).
help=$("$tobrin" --help) || exit 1
section() { awk -v from="^  tobrin $1" -v to="^  tobrin $2" '$0 ~ to { p = 0 } $0 ~ from { p = 1 } p' <<<"$help"; }
for block in 'export import' 'import font' 'font text' 'text build' 'build --help' '--help END'; do
    read -r command next <<<"$block"
    text=$(section "$command" "$next")
    options=$(grep -oE '(^|[^[:alnum:]_-])--?[a-z][a-z-]*' <<<"$text" | grep -oE -- '--?[a-z-]+')
    if [[ $command == --help ]]; then
        expect "tobrin -" "$(sorted -- $options)"
        continue
    fi
    expect "tobrin $command x -" "$(sorted $options)"
    while read -r option values; do
        [[ -n $option ]] && expect "tobrin $command x $option " "$(sorted ${values//|/ })"
    done < <(grep -oE -- '--[a-z-]+ [a-z0-9]+(\|[a-z0-9]+)+' <<<"$text")
done

# Files by the formats each place takes, extensions in either case.
cd "$(mktemp -d)" && trap 'rm -rf "$PWD"' EXIT
mkdir folder && touch a.txt b.PNG c.wmf d.jpeg e.h notes.odt
expect "tobrin ex" "export"
expect "tobrin " "a.txt b.PNG build e.h export folder font import text"
expect "tobrin import " "b.PNG c.wmf d.jpeg folder"
expect "tobrin text x --font " "5x7 8x8 a.txt b.PNG e.h folder"
expect "tobrin font x -o " "a.txt b.PNG e.h folder"
expect "tobrin export a.txt -o " "a.txt b.PNG e.h folder"
expect "tobrin -- " "a.txt b.PNG e.h folder"
# Templates: the user's by name, and template files.
mkdir -p data/tobrin/templates && touch data/tobrin/templates/mine.tpl my.tpl
XDG_DATA_HOME=$PWD/data expect "tobrin export x --template m" "mine my.tpl"
exit $failed
