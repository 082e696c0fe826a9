# bash completion for kestrom: its commands, each command's options, files where
# a command takes one, and the connected chip's setting names after --set.

# File names for the word being completed, one per line so that names with spaces stay
# whole; readline then quotes them as it inserts them.
_kestrom_files() {
    local typed=$1 IFS=$'\n'
    typed=${typed#[\'\"]}
    typed=${typed//\\/}
    COMPREPLY=($(compgen -f -- "$typed"))
    compopt -o filenames 2>/dev/null
}

# The settings --set takes on the chip the line chooses (--device, --serial), from the
# program's own tables; every chip's when that device does not answer.
_kestrom_chip_fields() {
    local choose=() i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --device | --serial) choose+=("${COMP_WORDS[i]}" "${COMP_WORDS[i + 1]}") ;;
        esac
    done
    "${COMP_WORDS[0]}" help settings --names "${choose[@]}" 2>/dev/null
}

_kestrom() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            list | show | dump | restore | template | write | produce | help)
                command=${COMP_WORDS[i]}
                break
                ;;
        esac
    done

    case $prev in
        --device | --serial | --format | --start | --count | --poll | --stations) return 0 ;;
        --state | --log)
            _kestrom_files "$cur"
            return 0
            ;;
        --set)
            COMPREPLY=($(compgen -W "$(_kestrom_chip_fields)" -S = -- "$cur"))
            compopt -o nospace 2>/dev/null
            return 0
            ;;
    esac

    local options files=1
    case $command in
        "")
            options="--report --no-text --no-binary --help --help-all --version list show dump restore template write produce help"
            files=0
            ;;
        list) options="--json --help" files=0 ;;
        show) options="--device --serial --json --help" files=0 ;;
        dump | template) options="--device --serial --help" ;;
        restore) options="--device --serial --force --help" ;;
        write) options="--device --serial --set --help" ;;
        help) options="--device --serial --help" files=0 ;;
        produce) options="--format --start --count --device --state --log --poll --stations --set --help" ;;
    esac
    if [[ $command == help && $cur != -* ]]; then
        case $prev in
            help) COMPREPLY=($(compgen -W "settings list show dump restore template write produce" -- "$cur")) ;;
            settings) COMPREPLY=($(compgen -W "FT8U232AM FT232BM FT2232C FT232R FT2232H FT4232H FT232H FT-X" -- "$cur")) ;;
        esac
        return 0
    fi
    if [[ $command == template && ${COMP_WORDS[COMP_CWORD - 1]} == template ]]; then
        COMPREPLY=($(compgen -W "save" -- "$cur"))
        return 0
    fi
    if [[ $cur == -* || $files == 0 ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        _kestrom_files "$cur"
    fi
}
complete -F _kestrom kestrom
