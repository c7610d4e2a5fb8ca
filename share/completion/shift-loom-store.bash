# SPDX-License-Identifier: MIT
# Bash completion of shift-loom-store: the commands, each command's options, folders for FOLDER
# and files for the options that take one. Installed as
# /usr/share/bash-completion/completions/shift-loom-store.

_shift_loom_store()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="init register jobs records report" command="" word
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        case " $commands " in *" $word "*) command=$word; break ;; esac
    done

    case $prev in
    --jobs | --names) COMPREPLY=($(compgen -f -X '!*.[cC][sS][vV]' -- "$cur") $(compgen -d -- "$cur")); return ;;
    --activities | --html) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    --from | --to | --day-limit | --week-limit) COMPREPLY=(); return ;;
    esac

    local options
    case $command in
    "") COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur")); return ;;
    init) options="--jobs --activities --force" ;;
    register) options="--system" ;;
    jobs) options="" ;;
    records) options="--csv --json" ;;
    report) options="--from --to --summary --names --day-limit --week-limit --split-at-midnight --csv --json --html" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
    else
        COMPREPLY=($(compgen -d -- "$cur"))
    fi
}
complete -o filenames -F _shift_loom_store shift-loom-store
