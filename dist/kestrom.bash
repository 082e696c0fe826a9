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

# The settings of the chip the line chooses (--device, --serial), as show --json names them.
_kestrom_chip_fields() {
    local choose=() i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --device | --serial) choose+=("${COMP_WORDS[i]}" "${COMP_WORDS[i + 1]}") ;;
        esac
    done
    "${COMP_WORDS[0]}" show --json "${choose[@]}" 2>/dev/null |
        sed -n '/"fields": {/,/}/s/^ *"\([A-Za-z0-9]*\)": .*/\1/p' | grep -v '^ManufacturerId$'
}

_kestrom() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local fields="VendorId ProductId Manufacturer Description SerialNumber MaxPower PnP SelfPowered
        RemoteWakeup Rev4 IsoIn IsoOut PullDownEnable SerNumEnable USBVersionEnable USBVersion Rev5 IsoInA
        IsoInB IsoOutA IsoOutB PullDownEnable5 SerNumEnable5 USBVersionEnable5 USBVersion5 AIsHighCurrent
        BIsHighCurrent IFAIsFifo IFAIsFifoTar IFAIsFastSer AIsVCP IFBIsFifo IFBIsFifoTar IFBIsFastSer BIsVCP
        UseExtOsc HighDriveIOs EndpointSize PullDownEnableR SerNumEnableR InvertTXD InvertRXD InvertRTS
        InvertCTS InvertDTR InvertDSR InvertDCD InvertRI Cbus0 Cbus1 Cbus2 Cbus3 Cbus4 RIsD2XX"
    local command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            list | show | dump | restore | template | write | produce)
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
            # Without a chip that answers, the record's names.
            local chipFields
            chipFields=$(_kestrom_chip_fields)
            COMPREPLY=($(compgen -W "${chipFields:-$fields}" -S = -- "$cur"))
            compopt -o nospace 2>/dev/null
            return 0
            ;;
    esac

    local options files=1
    case $command in
        "")
            options="--report --no-text --no-binary --help --help-all --version list show dump restore template write produce"
            files=0
            ;;
        list) options="--json --help" files=0 ;;
        show) options="--device --serial --json --help" files=0 ;;
        dump | template) options="--device --serial --help" ;;
        restore) options="--device --serial --force --help" ;;
        write) options="--device --serial --set --help" ;;
        produce) options="--format --start --count --device --state --log --poll --stations --set --help" ;;
    esac
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
