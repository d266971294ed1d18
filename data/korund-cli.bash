# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for korund-cli

_korund_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=""
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    # "--ini=FILE": bash splits the word at '='.
    if [[ $cur == "=" ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 1]}
        cur=""
    elif [[ $prev == "=" ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    local pattern
    case $prev in
        -e|--digits|--base|--output-base) COMPREPLY=(); return ;;
        --angle) COMPREPLY=($(compgen -W 'rad deg gra' -- "$cur")); return ;;
        --ini) pattern='*.ini' ;;
        --constants) pattern='*.krc' ;;
        --functions) pattern='*.krf' ;;
        *)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W '-e --ini --constants --functions --digits --angle --base --output-base --help --version' -- "$cur"))
                return
            fi
            pattern='*' ;; # a script file
    esac
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -X "!$pattern" -- "$cur") $(compgen -d -- "$cur"))
}
complete -F _korund_cli korund-cli
