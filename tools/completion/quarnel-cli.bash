# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for quarnel-cli
_quarnel_cli() {
    local cur prev words cword
    _init_completion 2>/dev/null || {
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD - 1]}
        cword=$COMP_CWORD
    }
    local commands="read demux rebuild mkv titles xpl chapters vti subs"
    local options="-o --output-dir --streams --no-continue --full --fast-size --no-details --no-count-frames --no-vti
        --video-ext --audio-ext --sub-ext --adv-pck --adjust-pts --keep-partial --subs --to --ocr-lang --canvas --fps
        --source --xpl --ifo --title --angle --all-titles --min-length --track-name --language --default --forced --plan --keep-temp --lpcm-wav --split-tracks --markup -q --quiet --color --json --help --version"
    case $prev in
        -o | --output-dir) COMPREPLY=($(compgen -d -- "$cur")); return ;;
        --xpl) COMPREPLY=($(compgen -f -X '!*.[xX][pP][lL]' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --source) COMPREPLY=($(compgen -f -X '!*.[eE][vV][oO]' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --ifo) COMPREPLY=($(compgen -f -X '!*.[iI][fF][oO]' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --subs | --to) COMPREPLY=($(compgen -W "sup pgs vobsub bdn srt" -- "$cur")); return ;;
        --ocr-lang)
            local installed=$(ls /usr/share/tesseract-ocr/*/tessdata/*.traineddata 2>/dev/null | sed 's|.*/||; s|\.traineddata$||')
            COMPREPLY=($(compgen -W "$installed" -- "$cur")); return ;;
        --fps) COMPREPLY=($(compgen -W "23.976 24 25 29.97 50 59.94" -- "$cur")); return ;;
        --color) COMPREPLY=($(compgen -W "auto always never" -- "$cur")); return ;;
        --track-name | --language | --default | --forced)
            COMPREPLY=($(compgen -W "v0 v1 a00 a01 a02 a03 a04 a05 a06 a07 s00 s01 s02 s03 s04 s05" -- "$cur")); return ;;
        --streams | --fast-size | --video-ext | --audio-ext | --sub-ext | --canvas | --title | --angle | --min-length) return ;;
    esac
    local i command=
    for ((i = 1; i < cword; i++)); do
        case ${COMP_WORDS[i]} in read | demux | rebuild | mkv | titles | xpl | chapters | vti | subs) command=${COMP_WORDS[i]}; break ;; esac
    done
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    else
        # One pattern a call: a pattern of alternatives would need extglob, which an
        # interactive bash does not turn on.
        local patterns=('!*.[eE][vV][oO]' '!*.[vV][oO][bB]' '!*.[aA][oO][bB]' '!*.[iI][sS][oO]') pattern
        case $command in
            xpl | chapters) patterns=('!*.[xX][pP][lL]') ;;
            subs) patterns=('!*.sup') ;;
            titles) patterns=('!*.[iI][sS][oO]' '!*.[iI][fF][oO]') ;;
        esac
        COMPREPLY=()
        for pattern in "${patterns[@]}"; do COMPREPLY+=($(compgen -f -X "$pattern" -- "$cur")); done
        COMPREPLY+=($(compgen -d -- "$cur"))
    fi
}
complete -F _quarnel_cli quarnel-cli
